#pragma once

#include <string>

namespace ujson {

// Prepares a document text for the parser, in place: removes TAB, LF and CR (a control in the
// last position stays), shrinks every run of spaces to one space and decodes "\u"/"\U" escapes
// of up to four hexadecimal digits into single UTF-16 code units. The text is scanned from its
// end to its start, so a code unit produced by an escape can complete a further escape to its
// left. An escape whose digits are not hexadecimal is left as it stands.
void NormalizeText(std::u16string& text);

} // namespace ujson
