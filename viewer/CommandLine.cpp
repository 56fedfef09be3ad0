#include "viewer/CommandLine.h"

#include "viewer/toolkit/Application.h"

namespace {

bool IsSeparator(char16_t c) { return c != u'\0' && c <= u' '; }

std::u16string NextItem(std::u16string_view Line, std::size_t& Pos) {
  for (;;) {
    while (Pos < Line.size() && IsSeparator(Line[Pos]))
      ++Pos;
    if (Pos + 1 < Line.size() && Line[Pos] == u'"' && Line[Pos + 1] == u'"')
      Pos += 2;
    else
      break;
  }
  std::u16string item;
  while (Pos < Line.size() && Line[Pos] > u' ') {
    if (Line[Pos] != u'"') {
      item += Line[Pos++];
      continue;
    }
    ++Pos;
    while (Pos < Line.size() && Line[Pos] != u'\0' && Line[Pos] != u'"')
      item += Line[Pos++];
    if (Pos < Line.size() && Line[Pos] == u'"')
      ++Pos;
  }
  return item;
}

bool EndsWithJsonExtension(std::u16string_view Name) {
  constexpr std::u16string_view extension = u".json";
  if (Name.size() < extension.size())
    return false;
  const std::u16string_view tail = Name.substr(Name.size() - extension.size());
  for (std::size_t i = 0; i < extension.size(); ++i) {
    char16_t c = tail[i];
    if (c >= u'A' && c <= u'Z')
      c = static_cast<char16_t>(c - u'A' + u'a');
    if (c != extension[i])
      return false;
  }
  return true;
}

} // namespace

std::u16string FirstCommandLineArgument(std::u16string_view CommandLine) {
  std::size_t pos = 0;
  NextItem(CommandLine, pos); // the program
  return NextItem(CommandLine, pos);
}

bool IsJsonFileToLoad(const std::u16string& Argument, tk::Application& App) {
  return EndsWithJsonExtension(Argument) && App.IsRegularFile(Argument);
}
