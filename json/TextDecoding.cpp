#include "json/TextDecoding.h"

#include "json/MemoryBlocks.h"
#include "json/NormalizeText.h"
#include "json/Regional.h"
#include "json/UnicodeConversion.h"

#include <cstddef>
#include <utility>

namespace ujson {

namespace {

constexpr char16_t kReplacement = u'\uFFFD';

// Room for length characters, in the buffer of a released document's text where one of about
// that size is kept (its pages are in memory already).
std::u16string TextOfLength(std::size_t length) {
  std::u16string text = TextWithRoom(length);
  text.resize(length);
  return text;
}

std::u16string DecodeUtf16(std::string_view bytes, bool bigEndian) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const std::size_t pairs = bytes.size() / 2;
  const bool oddByte = bytes.size() % 2 != 0;
  std::u16string text = TextOfLength(pairs + (oddByte ? 1 : 0));
  const unsigned high = bigEndian ? 0 : 1;
  for (std::size_t i = 0; i < pairs; ++i)
    text[i] = static_cast<char16_t>(p[2 * i + high] << 8 | p[2 * i + (1 - high)]);
  if (oddByte)
    text[pairs] = kReplacement;
  return text;
}

// Giving back the spare room costs a copy of the whole text, worth it only when much is spare.
void ShrinkTo(std::u16string& text, std::size_t length) {
  text.resize(length);
  if (length < text.capacity() / 4 * 3)
    text.shrink_to_fit();
}

std::u16string DecodeUtf8Lenient(std::string_view bytes) {
  std::u16string text = TextOfLength(bytes.size());
  ShrinkTo(text, *DecodeUtf8(bytes, text.data(), Utf8Errors::Replace));
  return text;
}

} // namespace

ByteOrderMark DetectByteOrderMark(std::string_view head) {
  using namespace std::string_view_literals;
  if (head.starts_with("\xEF\xBB\xBF"sv))
    return ByteOrderMark::Utf8;
  if (head.starts_with("\xFF\xFE"sv))
    return ByteOrderMark::Utf16LittleEndian;
  if (head.starts_with("\xFE\xFF"sv))
    return ByteOrderMark::Utf16BigEndian;
  return ByteOrderMark::None;
}

std::size_t MarkLength(ByteOrderMark mark) {
  switch (mark) {
  case ByteOrderMark::Utf8:
    return 3;
  case ByteOrderMark::Utf16LittleEndian:
  case ByteOrderMark::Utf16BigEndian:
    return 2;
  case ByteOrderMark::None:
    break;
  }
  return 0;
}

// A UTF-8 file with a few bad bytes (a truncated copy, one byte of another encoding pasted in)
// still reads as UTF-8. Text in a single-byte code page rarely forms a valid sequence by
// chance: its letters above 127 are mostly followed by ASCII or by other letters, which are
// no continuation bytes, so there the ill-formed sequences outnumber the well-formed ones.
bool ReadsAsUtf8(const Utf8Tally& tally) {
  constexpr std::size_t kWellFormedPerIllFormed = 4;
  return tally.IllFormed == 0 || tally.WellFormed / kWellFormedPerIllFormed >= tally.IllFormed;
}

std::u16string DecodeFileBytes(std::string_view bytes) {
  const ByteOrderMark mark = DetectByteOrderMark(bytes);
  const std::string_view body = bytes.substr(MarkLength(mark));
  switch (mark) {
  case ByteOrderMark::Utf8:
    return DecodeUtf8Lenient(body);
  case ByteOrderMark::Utf16LittleEndian:
  case ByteOrderMark::Utf16BigEndian:
    return DecodeUtf16(body, mark == ByteOrderMark::Utf16BigEndian);
  case ByteOrderMark::None:
    break;
  }

  // One pass both judges and decodes. Pure ASCII keeps this result too: every ANSI code page
  // maps ASCII bytes to themselves.
  std::u16string text = TextOfLength(bytes.size());
  Utf8Tally tally;
  const std::size_t written = *DecodeUtf8(bytes, text.data(), Utf8Errors::Replace, &tally);
  if (!ReadsAsUtf8(tally)) {
    // Release the attempt before the ANSI text of the same size is built.
    KeepSpareText(std::move(text));
    return AnsiToUtf16(bytes);
  }
  ShrinkTo(text, written);
  return text;
}

std::u16string NormalizedFileText(std::string_view bytes) {
  const ByteOrderMark mark = DetectByteOrderMark(bytes);
  const std::string_view body = bytes.substr(MarkLength(mark));
  switch (mark) {
  case ByteOrderMark::Utf8:
    return NormalizeUtf8Bytes(body);
  case ByteOrderMark::Utf16LittleEndian:
  case ByteOrderMark::Utf16BigEndian:
    return NormalizeUtf16Bytes(body, mark == ByteOrderMark::Utf16BigEndian);
  case ByteOrderMark::None:
    break;
  }

  // As in DecodeFileBytes, one pass both judges and gives the text; an ANSI file, judged only at
  // its end, is decoded again.
  Utf8Tally tally;
  std::u16string text = NormalizeUtf8Bytes(bytes, &tally);
  if (ReadsAsUtf8(tally))
    return text;
  KeepSpareText(std::move(text));
  text = AnsiToUtf16(bytes);
  NormalizeText(text);
  return text;
}

} // namespace ujson
