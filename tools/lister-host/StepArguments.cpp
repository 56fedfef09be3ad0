#include "tools/lister-host/StepArguments.h"

#include "tools/lister-host/HostText.h"

#include <cwchar>
#include <cwctype>

namespace host {

std::wstring StepArguments::Take(const char* What) {
  if (AtEnd())
    throw StepError(std::string("missing ") + What);
  return args_[next_++];
}

int StepArguments::TakeInt(const char* What) {
  const std::wstring text = Take(What);
  wchar_t* end = nullptr;
  const long long value = std::wcstoll(text.c_str(), &end, 0);
  if (end == text.c_str() || *end != L'\0')
    throw StepError(std::string("not a number for ") + What + ": " +
                    ToUtf8(std::u16string(text.begin(), text.end())));
  return static_cast<int>(value);
}

bool StepArguments::TakeWord(std::wstring_view Word) {
  if (AtEnd() || args_[next_] != Word)
    return false;
  ++next_;
  return true;
}

bool StepArguments::NextIsNumber() const {
  return !AtEnd() && !args_[next_].empty() && std::iswdigit(args_[next_][0]);
}

std::vector<std::wstring> StepArguments::TakeUntil(std::wstring_view Marker) {
  std::vector<std::wstring> taken;
  while (!AtEnd() && args_[next_] != Marker)
    taken.push_back(args_[next_++]);
  if (!AtEnd())
    ++next_;
  return taken;
}

} // namespace host
