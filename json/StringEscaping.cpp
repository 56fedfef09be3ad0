#include "json/StringEscaping.h"

namespace ujson {

namespace {

// The letter of the short escape of c, or 0 when it has none.
char16_t ShortEscapeLetter(char16_t c) {
  switch (c) {
  case u'\b':
    return u'b';
  case u'\f':
    return u'f';
  case u'\n':
    return u'n';
  case u'\r':
    return u'r';
  case u'\t':
    return u't';
  default:
    return 0;
  }
}

} // namespace

std::u16string EscapeJSON(std::u16string_view text, EscapeRules rules) {
  constexpr std::u16string_view hexDigits = u"0123456789ABCDEF";
  std::u16string result;
  result.reserve(text.size());
  for (const char16_t c : text) {
    if (c == u'"' || c == u'\\') {
      if (rules.QuoteAndBackslash)
        result += u'\\';
      result += c;
    } else if (c >= u' ') {
      result += c;
    } else if (const char16_t letter = ShortEscapeLetter(c)) {
      result.append({u'\\', letter});
    } else if (rules.OtherControlsAsUnicode) {
      result.append({u'\\', u'u', u'0', u'0', hexDigits[c >> 4], hexDigits[c & 15]});
    } else {
      result += c;
    }
  }
  return result;
}

} // namespace ujson
