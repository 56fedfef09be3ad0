#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace ujson {

struct Utf8Tally;

// The encoding a file's first bytes announce, and the length of the mark that announces it.
enum class ByteOrderMark { None, Utf8, Utf16LittleEndian, Utf16BigEndian };
ByteOrderMark DetectByteOrderMark(std::string_view head);
std::size_t MarkLength(ByteOrderMark mark);

// Whether bytes without a mark, whose UTF-8 decoding gave this tally, are read as UTF-8 (see
// DecodeFileBytes) rather than in the ANSI code page.
bool ReadsAsUtf8(const Utf8Tally& tally);

// Turns the bytes of a file into text. A byte-order mark (UTF-8, UTF-16LE or UTF-16BE) decides
// the encoding and is dropped; ill-formed sequences then become U+FFFD. Without a mark, bytes
// are read as UTF-8 when they are well-formed UTF-8, or when its well-formed multi-byte
// sequences outnumber the ill-formed ones at least four to one (each ill-formed one then
// becomes U+FFFD); anything else is read with the ANSI code page.
std::u16string DecodeFileBytes(std::string_view bytes);

// The document text of a file's bytes: NormalizeText over DecodeFileBytes, in one forward pass
// where the encoding allows (UTF-8 and UTF-16; the ANSI code page decodes first).
std::u16string NormalizedFileText(std::string_view bytes);

} // namespace ujson
