#pragma once

#include <string>

namespace ujson {

// Prepares a document text for the parser, in place, in one forward pass.
// - Inside a quoted string every character stays as it stands: spaces, TAB, LF and CR included.
// - Outside strings each run of spaces, TABs, LFs and CRs becomes one space when it holds a space
//   and nothing otherwise; the last character of the text stays as it is.
// - Everywhere, "\u" or "\U" with four hexadecimal digits becomes that UTF-16 code unit (a NUL
//   ends the digits early); a decoded quote or backslash is written as its two-character escape.
//   A backslash starts an escape only when an even run of backslashes stands before it, and an
//   escaped quote neither ends nor starts a string. An escape whose digits are not hexadecimal
//   is left as it stands. Decoded characters are not looked at again.
// With InsideString the text is taken as the content of a string that is already open, as for a
// value written between a string's quotes.
void NormalizeText(std::u16string& text, bool InsideString = false);

} // namespace ujson
