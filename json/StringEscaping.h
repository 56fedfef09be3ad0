#pragma once

#include <string>
#include <string_view>

namespace ujson {

// What EscapeJSON writes with a backslash. The controls that have a short escape (\b \f \n \r
// \t) always get it, so that the result stays on one line.
struct EscapeRules {
  // A quotation mark and a backslash get their backslash: the result is a string's content.
  bool QuoteAndBackslash = true;
  // Every other control below U+0020 is written as \u00XX; otherwise it stays as it is (the
  // reading AsString gives has no decoding for it).
  bool OtherControlsAsUnicode = false;
};

std::u16string EscapeJSON(std::u16string_view text, EscapeRules rules);

} // namespace ujson
