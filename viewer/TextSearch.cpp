#include "viewer/TextSearch.h"

#include "json/InvariantUpperCase.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace {

// Scripts without letter case whose characters count as letters, and the digits of a few.
constexpr std::pair<char16_t, char16_t> kCaselessLetters[] = {
    {0x00AA, 0x00AA}, {0x00BA, 0x00BA}, {0x00DF, 0x00DF}, {0x05D0, 0x05EA}, {0x0620, 0x064A},
    {0x0660, 0x0669}, {0x06F0, 0x06F9}, {0x0900, 0x0963}, {0x0966, 0x096F}, {0x0E01, 0x0E30},
    {0x3041, 0x3096}, {0x30A1, 0x30FA}, {0x3400, 0x4DBF}, {0x4E00, 0x9FFF}, {0xAC00, 0xD7A3},
    {0xF900, 0xFAFF}, {0xFF10, 0xFF19},
};

} // namespace

WordCharacters::WordCharacters() : set_(std::make_unique<std::bitset<0x10000>>()) {
  std::bitset<0x10000>& set = *set_;
  for (char16_t c = u'0'; c <= u'9'; ++c)
    set.set(c);
  set.set(u'_');
  // Every unit with an upper case of its own is a small letter, and its upper case a capital.
  for (uint32_t unit = 0; unit < 0x10000; ++unit) {
    const char16_t upper = ujson::InvariantUpperCase(static_cast<char16_t>(unit));
    if (upper != unit) {
      set.set(unit);
      set.set(upper);
    }
  }
  for (const auto& [first, last] : kCaselessLetters)
    for (uint32_t unit = first; unit <= last; ++unit)
      set.set(unit);
}

TextSearch::TextSearch(std::u16string_view Pattern, TextSearchOptions Options)
    : pattern_(Pattern), options_(Options) {
  if (!options_.MatchCase && !pattern_.empty()) {
    folding_ = std::make_unique<std::array<char16_t, 0x10000>>();
    for (uint32_t unit = 0; unit < 0x10000; ++unit)
      (*folding_)[unit] = ujson::InvariantUpperCase(static_cast<char16_t>(unit));
    for (char16_t& c : pattern_)
      c = Fold(c);
  }
  if (options_.WholeWords && !pattern_.empty())
    words_ = std::make_unique<WordCharacters>();
}

bool TextSearch::MatchesAt(std::u16string_view Text, std::size_t At) const {
  if (At > Text.size() || Text.size() - At < pattern_.size())
    return false;
  for (std::size_t i = 0; i < pattern_.size(); ++i)
    if (Fold(Text[At + i]) != pattern_[i])
      return false;
  return true;
}

bool TextSearch::StandsAlone(std::u16string_view Text, std::size_t At) const {
  if (!words_)
    return true;
  const std::size_t end = At + pattern_.size();
  return (At == 0 || !words_->Contains(Text[At - 1])) &&
         (end >= Text.size() || !words_->Contains(Text[end]));
}

std::size_t TextSearch::Next(std::u16string_view Text, std::size_t From) const {
  if (pattern_.empty() || Text.size() < pattern_.size())
    return npos;
  const std::size_t last = Text.size() - pattern_.size();
  for (std::size_t at = From; at <= last; ++at) {
    if (options_.MatchCase) {
      at = Text.find(pattern_, at);
      if (at == npos)
        return npos;
    } else {
      // The first unit alone, folded: most positions go no further.
      const char16_t first = pattern_.front();
      while (at <= last && Fold(Text[at]) != first)
        ++at;
      if (at > last || !MatchesAt(Text, at))
        continue;
    }
    if (StandsAlone(Text, at))
      return at;
  }
  return npos;
}

std::size_t TextSearch::Previous(std::u16string_view Text, std::size_t Before) const {
  if (pattern_.empty() || Text.size() < pattern_.size() || Before == 0)
    return npos;
  std::size_t at = std::min(Before - 1, Text.size() - pattern_.size());
  for (;; --at) {
    if (options_.MatchCase) {
      at = Text.rfind(pattern_, at);
      if (at == npos)
        return npos;
      if (StandsAlone(Text, at))
        return at;
    } else if (MatchesAt(Text, at) && StandsAlone(Text, at)) {
      return at;
    }
    if (at == 0)
      return npos;
  }
}
