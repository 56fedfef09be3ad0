#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Whether a text is strict JSON (RFC 8259), beside the library's lenient reading, and where it
// first departs from it. The check reads the text as the file was decoded, before the library
// normalises it, so lines and columns are those of the user's editor.
//
// What it cannot see: bytes the decoder replaced (ill-formed UTF-8 becomes U+FFFD, which is a
// valid character in a string), and the encoding itself (an ANSI or UTF-16 file that decodes to
// valid JSON text is valid). A leading U+FEFF is skipped and takes no column.

// The fixed set of reasons, each with its short text (StrictFaultText).
enum class StrictFault : uint8_t {
  EmptyText,              // "empty text": nothing but white space
  ExpectedValue,          // "expected a value"
  ExpectedName,           // "expected a name": a member must begin with a string
  ExpectedColon,          // "expected ':'"
  ExpectedCommaOrBrace,   // "expected ',' or '}'"
  ExpectedCommaOrBracket, // "expected ',' or ']'"
  TrailingComma,          // "trailing comma": a comma right before '}' or ']'
  UnterminatedString,     // "unterminated string": at the string's opening quote
  InvalidEscape,          // "invalid escape": at the backslash
  ControlCharacter,       // "control character in string": U+0000 to U+001F unescaped
  InvalidNumber,          // "invalid number": at the character the number grammar refuses
  LoneSurrogate,          // "lone surrogate": an unpaired UTF-16 surrogate in a string
  TextAfterValue,         // "text after the value"
};

std::u16string_view StrictFaultText(StrictFault Fault);

struct StrictDeparture {
  StrictFault Fault = StrictFault::EmptyText;
  // 0-based index into the checked text (its length when the text ended too early).
  std::size_t Offset = 0;
  // 1-based, as an editor counts them: LF, CR LF and a lone CR each end a line; a column is
  // one character, a surrogate pair included.
  std::size_t Line = 1;
  std::size_t Column = 1;
  // The child indices from the top value down to the value open or at the departure: for each
  // open object or array, the child being read, or the one just read when a comma or the
  // closing bracket was due. Empty when the departure lies in or around the top value itself.
  // Kept for the first MaxPathDepth levels only.
  std::vector<uint32_t> Path;
};

inline constexpr std::size_t MaxPathDepth = 100000;

// Nothing when Text is strict JSON. One forward pass; nesting of any depth is followed with a
// stack of one bit per level.
std::optional<StrictDeparture> CheckStrictJson(std::u16string_view Text);
// The same finding for the text that UTF-8 bytes decode to (ill-formed sequences each becoming
// U+FFFD), read from the bytes themselves: the offset, lines and columns are the decoded text's.
std::optional<StrictDeparture> CheckStrictJsonUtf8(std::string_view Bytes);

// "invalid JSON at line L, column C: reason".
std::u16string DepartureText(const StrictDeparture& Departure);
