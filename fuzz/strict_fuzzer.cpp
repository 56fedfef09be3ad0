// libFuzzer harness for the viewer's strict check: the input bytes, read as UTF-16LE, are
// checked as a text. The check must end without a fault on any text, place a departure inside
// the text (or just past its end) on a line and column that exist, and agree with itself: a
// text it calls valid, followed by a blank and a letter, departs at that letter with "text after
// the value". The same bytes read as UTF-8 must give, checked straight from the bytes, what the
// check of their decoded text gives.
//
// Built and run by fuzz/build.sh and fuzz/run.sh (clang, -fsanitize=fuzzer,address,undefined).

#include "viewer/StrictValidity.h"

#include "json/UnicodeConversion.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void Check(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "strict_fuzzer: %s\n", what);
    std::abort();
  }
}

void CheckUtf8AgreesWithItsText(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  std::u16string text(size, u'\0');
  text.resize(*ujson::DecodeUtf8(bytes, text.data(), ujson::Utf8Errors::Replace));
  const auto fromText = CheckStrictJson(text);
  const auto fromBytes = CheckStrictJsonUtf8(bytes);
  Check(fromText.has_value() == fromBytes.has_value(), "UTF-8 bytes and their text differ");
  if (!fromText)
    return;
  Check(fromText->Fault == fromBytes->Fault && fromText->Offset == fromBytes->Offset &&
            fromText->Line == fromBytes->Line && fromText->Column == fromBytes->Column &&
            fromText->Path == fromBytes->Path,
        "UTF-8 bytes and their text depart differently");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  CheckUtf8AgreesWithItsText(data, size);
  std::u16string text(size / 2, u'\0');
  for (size_t i = 0; i < text.size(); ++i)
    text[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);

  const auto departure = CheckStrictJson(text);
  if (departure) {
    Check(departure->Offset <= text.size(), "a departure past the end of the text");
    Check(departure->Line >= 1 && departure->Column >= 1, "a line or column below 1");
    Check(departure->Line <= text.size() + 1 && departure->Column <= text.size() + 1,
          "a line or column the text does not have");
    Check(departure->Path.size() <= MaxPathDepth, "a path deeper than its bound");
    Check(!DepartureText(*departure).empty(), "no text for a departure");
    return 0;
  }
  const auto extended = CheckStrictJson(text + u" x");
  Check(extended.has_value() && extended->Fault == StrictFault::TextAfterValue &&
            extended->Offset == text.size() + 1,
        "a valid text followed by a letter is not text after the value");
  return 0;
}
