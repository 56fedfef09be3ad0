#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace ujson {

// Lenient conversions for messages and tests: unpaired surrogates and ill-formed UTF-8 become
// U+FFFD (one per maximal subpart), so they never fail.
std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view bytes);

// What DecodeUtf8 does at an ill-formed sequence.
enum class Utf8Errors { Replace, Stop };

// What a decoding met beyond ASCII: well-formed multi-byte sequences, and ill-formed maximal
// subparts (each one U+FFFD when replaced).
struct Utf8Tally {
  std::size_t WellFormed = 0;
  std::size_t IllFormed = 0;
};

// One UTF-8 sequence, or the maximal subpart of an ill-formed one, decoded from the start of
// p[0, n) (n >= 1) into out, which needs room for two units: an ill-formed one becomes U+FFFD.
struct Utf8Sequence {
  std::size_t Bytes;
  std::size_t Units;
  bool WellFormed;
};
Utf8Sequence DecodeUtf8Sequence(const unsigned char* p, std::size_t n, char16_t* out);

// Decodes `bytes` into `out`, which must have room for bytes.size() units (UTF-16 never needs
// more units than UTF-8 has bytes). Returns the number of units written, or nothing when
// `errors` is Stop and an ill-formed sequence was met. The result equals bytes.size() exactly
// when every byte is ASCII. With a tally, counts what it decoded into it.
std::optional<std::size_t> DecodeUtf8(std::string_view bytes, char16_t* out, Utf8Errors errors,
                                      Utf8Tally* tally = nullptr);

} // namespace ujson
