#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace host {

// A failed step: printed, then lister-host stops with exit code 2.
class StepError : public std::runtime_error {
public:
  using std::runtime_error::runtime_error;
};

// The command line's steps and their arguments, read from the front.
class StepArguments {
public:
  StepArguments() = default;
  StepArguments(std::vector<std::wstring> Args, std::size_t First)
      : args_(std::move(Args)), next_(First) {}

  bool AtEnd() const noexcept { return next_ >= args_.size(); }
  // The next argument; StepError naming What when there is none.
  std::wstring Take(const char* What);
  // The next argument as a number (decimal, or hexadecimal with 0x).
  int TakeInt(const char* What);
  // Takes the next argument when it is Word, for a step's optional last word.
  bool TakeWord(std::wstring_view Word);
  // Whether the next argument begins with a digit, for a step's optional number.
  bool NextIsNumber() const;
  // The arguments up to Marker, which is taken too; or up to the end.
  std::vector<std::wstring> TakeUntil(std::wstring_view Marker);

private:
  std::vector<std::wstring> args_;
  std::size_t next_ = 0;
};

} // namespace host
