// libFuzzer harness for the load's one pass from file bytes to document text: NormalizedFileText
// must give what the plain reference (tests/ReferenceText.h) and the library's two steps,
// DecodeFileBytes then NormalizeText, give for the same bytes.
//
// The first byte chooses the ANSI code page and whether the text is put behind letters of two
// bytes each, so that the pass's internal pieces end at every place of the fuzzed bytes; the
// rest is the file. Any difference, crash or sanitizer report aborts the run.
//
// The UTF-8 pass is also fed the file in pieces, as a streaming read feeds it: the last byte picks
// where in the file the first piece ends, and the input's bytes in turn give the lengths of the
// pieces after it (1 to 40), so the fuzzer chooses where the pieces end.
//
// Built and run by fuzz/build.sh and fuzz/run.sh (clang, -fsanitize=fuzzer,address,undefined).

#include "json/NormalizeText.h"
#include "json/Regional.h"
#include "json/TextDecoding.h"

#include "tests/ReferenceText.h"
#include "tests/Utf8Pieces.h"

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

// Just short of the UTF-16 path's piece of 8192 characters, and in letters of two bytes just short
// of the UTF-8 pass's step of 16384 bytes, so that the fuzzed bytes straddle their ends.
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

  // The bytes as UTF-8 whatever their mark, in pieces of 1 to 40 bytes after the first.
  const reference_text::Utf8Decoded decoded = reference_text::DecodeUtf8(bytes);
  std::size_t piece = 0;
  const utf8_pieces::Result pieces = utf8_pieces::Normalize(bytes, [&]() -> std::size_t {
    const std::size_t k = piece++;
    if (k == 0)
      return 1 + data[size - 1] * bytes.size() / 256;
    return 1 + data[k % size] % 40;
  });
  if (!pieces.Fault.empty())
    Fail(pieces.Fault.c_str());
  // Most inputs are taken as UTF-8 anyway: the slow reference normalisation is not run twice.
  const std::u16string expectedUtf8 = reference_text::Decode(bytes) == decoded.text
                                          ? expected
                                          : reference_text::Normalize(decoded.text);
  if (pieces.Text != expectedUtf8)
    Fail("NormalizeUtf8Some in pieces differs from the reference");
  const utf8_pieces::Result whole = utf8_pieces::NormalizeWhole(bytes);
  if (!whole.Fault.empty())
    Fail(whole.Fault.c_str());
  if (whole.Text != expectedUtf8)
    Fail("NormalizeUtf8Some over the whole text differs from the reference");
  if (pieces.Tally.WellFormed != decoded.wellFormed || pieces.Tally.IllFormed != decoded.illFormed)
    Fail("NormalizeUtf8Some in pieces counts other sequences than the reference");
  return 0;
}
