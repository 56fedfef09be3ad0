// libFuzzer harness for the load's one pass from file bytes to document text: NormalizedFileText
// must give what the plain reference (tests/ReferenceText.h) and the library's two steps,
// DecodeFileBytes then NormalizeText, give for the same bytes.
//
// The first byte chooses the ANSI code page and whether the text is put behind letters of two
// bytes each, so that the pass's internal pieces end at every place of the fuzzed bytes; the
// rest is the file. Any difference, crash or sanitizer report aborts the run.
//
// Built and run by fuzz/build.sh and fuzz/run.sh (clang, -fsanitize=fuzzer,address,undefined).

#include "json/NormalizeText.h"
#include "json/Regional.h"
#include "json/TextDecoding.h"

#include "tests/ReferenceText.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "text_fuzzer: %s\n", what);
  std::abort();
}

// Just short of the pass's piece of 8192 characters, so that the fuzzed bytes straddle its end.
constexpr std::size_t kLettersBefore = 8192 - 40;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0)
    return 0;
  const uint8_t options = data[0];
  ujson::SelectAnsiCodePage((options & 1) != 0 ? 1251 : 1252);
  std::string bytes;
  if ((options & 2) != 0) {
    bytes += (options & 4) != 0 ? "\xEF\xBB\xBF" : "";
    bytes += (options & 8) != 0 ? "\"" : "";
    for (std::size_t k = 0; k < kLettersBefore + (options >> 4); ++k)
      bytes += "\xC3\xA9";
  }
  bytes.append(reinterpret_cast<const char*>(data + 1), size - 1);

  const std::u16string expected = reference_text::FileText(bytes);
  std::u16string twoSteps = ujson::DecodeFileBytes(bytes);
  ujson::NormalizeText(twoSteps);
  if (twoSteps != expected)
    Fail("DecodeFileBytes and NormalizeText differ from the reference");
  if (ujson::NormalizedFileText(bytes) != expected)
    Fail("NormalizedFileText differs from the reference");
  return 0;
}
