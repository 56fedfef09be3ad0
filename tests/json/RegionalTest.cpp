#include "json/Regional.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

using ujson::AnsiCodePage;
using ujson::AnsiToUtf16;
using ujson::DecimalSeparator;
using ujson::SelectAnsiCodePage;
using ujson::SelectDecimalSeparator;
using ujson::Utf16ToAnsi;

// Puts back the code page and separator a test selected.
class RegionalGuard {
public:
  RegionalGuard() : codePage_(AnsiCodePage()), separator_(DecimalSeparator()) {}
  RegionalGuard(const RegionalGuard&) = delete;
  RegionalGuard& operator=(const RegionalGuard&) = delete;
  ~RegionalGuard() {
    SelectAnsiCodePage(codePage_);
    SelectDecimalSeparator(separator_);
  }

private:
  uint32_t codePage_;
  char16_t separator_;
};

std::string AllBytes() {
  std::string bytes;
  for (int b = 0; b < 256; ++b)
    bytes += static_cast<char>(b);
  return bytes;
}

#ifndef _WIN32
TEST(Regional, Windows1252IsTheDefaultCodePageAndOnly1252And1251CanBeSelected) {
  RegionalGuard guard;
  EXPECT_EQ(AnsiCodePage(), 1252u);
  SelectAnsiCodePage(1251);
  EXPECT_EQ(AnsiCodePage(), 1251u);
  EXPECT_THROW(SelectAnsiCodePage(437), std::invalid_argument);
  EXPECT_THROW(SelectAnsiCodePage(65001), std::invalid_argument);
  EXPECT_EQ(AnsiCodePage(), 1251u) << "a refused code page must leave the selection alone";
  SelectAnsiCodePage(1252);
  EXPECT_EQ(AnsiCodePage(), 1252u);
}
#endif

TEST(Regional, Windows1252DecodesLikeWindowsIncludingItsUndefinedBytes) {
  RegionalGuard guard;
  SelectAnsiCodePage(1252);
  EXPECT_EQ(AnsiToUtf16(""), u"");
  EXPECT_EQ(AnsiToUtf16("plain {\"a\":1}"), u"plain {\"a\":1}");
  EXPECT_EQ(AnsiToUtf16("\x80"), u"\u20AC");
  EXPECT_EQ(AnsiToUtf16("\x81\x8D\x8F\x90\x9D"), u"\u0081\u008D\u008F\u0090\u009D");
  EXPECT_EQ(AnsiToUtf16("\x8A\x8C\x99\x9F\xA0\xE9\xFF"), u"\u0160\u0152\u2122\u0178\u00A0éÿ");
  EXPECT_EQ(AnsiToUtf16("\x93quoted\x94 \x96 dash"), u"\u201Cquoted\u201D \u2013 dash");

  const std::u16string decoded = AnsiToUtf16(AllBytes());
  ASSERT_EQ(decoded.size(), 256u);
  for (int b = 0; b < 128; ++b)
    EXPECT_EQ(decoded[b], char16_t(b)) << "ASCII byte " << b;
  EXPECT_EQ(Utf16ToAnsi(decoded), AllBytes()) << "every byte must survive a round trip";
}

TEST(Regional, Windows1251DecodesCyrillicAndRoundTripsARussianWord) {
  RegionalGuard guard;
  SelectAnsiCodePage(1251);
  const std::string privet = "\xCF\xF0\xE8\xE2\xE5\xF2"; // Привет
  EXPECT_EQ(AnsiToUtf16(privet), u"Привет");
  EXPECT_EQ(Utf16ToAnsi(u"Привет"), privet);
  EXPECT_EQ(Utf16ToAnsi(u"Ёжик в тумане"), "\xA8\xE6\xE8\xEA \xE2 \xF2\xF3\xEC\xE0\xED\xE5");
  EXPECT_EQ(AnsiToUtf16("\xC0\xDF\xE0\xFF\xA8\xB8"), u"АЯаяЁё");
  EXPECT_EQ(AnsiToUtf16("\x80\x88\xB9"), u"\u0402\u20AC\u2116");
  EXPECT_EQ(AnsiToUtf16("\x98"), u"\u0098");
  EXPECT_EQ(AnsiToUtf16("\xE9"), u"й");

  const std::u16string decoded = AnsiToUtf16(AllBytes());
  ASSERT_EQ(decoded.size(), 256u);
  EXPECT_EQ(Utf16ToAnsi(decoded), AllBytes());
}

TEST(Regional, CharactersTheCodePageLacksBecomeOneQuestionMarkEach) {
  RegionalGuard guard;
  SelectAnsiCodePage(1252);
  EXPECT_EQ(Utf16ToAnsi(u"caf\u00E9 \u0416"), "caf\xE9 ?");
  EXPECT_EQ(Utf16ToAnsi(u"a\U0001F600b"), "a?b") << "a surrogate pair is one character";
  EXPECT_EQ(Utf16ToAnsi(std::u16string(u"x") + char16_t(0xD800) + u"y"), "x?y");
  EXPECT_EQ(Utf16ToAnsi(std::u16string(1, char16_t(0xDC00))), "?");
  EXPECT_EQ(Utf16ToAnsi(u"\u0100"), "?") << "no best-fit look-alike";
  EXPECT_EQ(Utf16ToAnsi(u""), "");

  SelectAnsiCodePage(1251);
  EXPECT_EQ(Utf16ToAnsi(u"caf\u00E9 \u0416"), "caf? \xC6");
}

TEST(Regional, TheSelectedDecimalSeparatorIsReportedUntilAnotherIsSelected) {
  RegionalGuard guard;
#ifndef _WIN32
  // Nothing in this program changes the process's locale from "C".
  EXPECT_EQ(DecimalSeparator(), u'.');
#endif
  SelectDecimalSeparator(u',');
  EXPECT_EQ(DecimalSeparator(), u',');
  EXPECT_EQ(DecimalSeparator(), u',');
  SelectDecimalSeparator(u'.');
  EXPECT_EQ(DecimalSeparator(), u'.');
}

} // namespace
