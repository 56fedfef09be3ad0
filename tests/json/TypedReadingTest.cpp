#include "json/TypedReading.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <string_view>

namespace {

using ujson::DecodeStringEscapes;
using ujson::TextToBoolean;
using ujson::TextToDouble;
using ujson::TextToInt32;
using ujson::TextToInt64;

// The text for failure messages, with every character outside printable ASCII shown as "?".
std::string Shown(std::u16string_view text) {
  std::string out;
  for (char16_t c : text)
    out += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
  return "\"" + out + "\"";
}

std::optional<double> Dotted(std::u16string_view text) { return TextToDouble(text, u'.'); }

TEST(DecodeStringEscapes, DecodesTheEightJsonEscapes) {
  EXPECT_EQ(DecodeStringEscapes(u"a\\\"b"), u"a\"b");
  EXPECT_EQ(DecodeStringEscapes(u"line\\nnext"), u"line\nnext");
  EXPECT_EQ(DecodeStringEscapes(u"\\/\\b\\f\\r\\t"), u"/\b\f\r\t");
  EXPECT_EQ(DecodeStringEscapes(u"a\\\\b"), u"a\\b");
  // A UNC path keeps both of its leading backslashes.
  EXPECT_EQ(DecodeStringEscapes(u"\\\\\\\\server\\\\share"), u"\\\\server\\share");
  EXPECT_EQ(DecodeStringEscapes(u"\\\\\\\\x"), u"\\\\x");
  EXPECT_EQ(DecodeStringEscapes(u"a\\\\"), u"a\\");
  // Decoded characters never form an escape with what follows.
  EXPECT_EQ(DecodeStringEscapes(u"\\\\n"), u"\\n");
}

TEST(DecodeStringEscapes, KeepsABackslashBeforeAnyOtherCharacterOrAtTheEnd) {
  EXPECT_EQ(DecodeStringEscapes(u"\\a\\c\\u004"), u"\\a\\c\\u004");
  EXPECT_EQ(DecodeStringEscapes(u"\\\u00e9"), u"\\\u00e9");
  EXPECT_EQ(DecodeStringEscapes(u"x\\"), u"x\\");
  EXPECT_EQ(DecodeStringEscapes(u"\\"), u"\\");
  EXPECT_EQ(DecodeStringEscapes(u""), u"");
  EXPECT_EQ(DecodeStringEscapes(u"\\\\\\"), u"\\\\");
  EXPECT_EQ(DecodeStringEscapes(u"\\x\\n"), u"\\x\n");
}

// The rule done literally, one character at a time.
std::u16string ReferenceDecodeStringEscapes(std::u16string_view text) {
  const std::u16string_view escapes = u"\"\\/bfnrt";
  const std::u16string_view decoded = u"\"\\/\b\f\n\r\t";
  std::u16string result;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const std::size_t e = i + 1 < text.size() ? escapes.find(text[i + 1]) : escapes.npos;
    if (text[i] == u'\\' && e != escapes.npos) {
      result += decoded[e];
      ++i;
    } else {
      result += text[i];
    }
  }
  return result;
}

TEST(DecodeStringEscapes, GivesTheSameTextAsTheLiteralRuleOnRandomTexts) {
  const std::u16string alphabet = u"\\\\\\a\"nt/u";
  std::mt19937 random(5u);
  std::uniform_int_distribution<int> lengthOf(0, 12);
  std::uniform_int_distribution<std::size_t> letterOf(0, alphabet.size() - 1);
  for (int n = 0; n < 20000; ++n) {
    std::u16string text(static_cast<std::size_t>(lengthOf(random)), u' ');
    for (char16_t& c : text)
      c = alphabet[letterOf(random)];
    ASSERT_EQ(DecodeStringEscapes(text), ReferenceDecodeStringEscapes(text)) << Shown(text);
  }
}

TEST(DecodeStringEscapes, HandlesHugeTextsOfEscapes) {
  std::u16string escapes = u"\\n";
  while (escapes.size() < 2'000'000)
    escapes += escapes;
  escapes.resize(2'000'000);
  EXPECT_EQ(DecodeStringEscapes(escapes), std::u16string(1'000'000, u'\n'));
  const std::u16string backslashes(2'000'000, u'\\');
  EXPECT_EQ(DecodeStringEscapes(backslashes), std::u16string(1'000'000, u'\\'));
  const std::u16string strays = std::u16string(1'000'000, u'\\') + u"x";
  EXPECT_EQ(DecodeStringEscapes(strays), std::u16string(500'000, u'\\') + u"x");
}

TEST(TextToInt32, ReadsDecimalAndPrefixedHexadecimalNumbers) {
  EXPECT_EQ(TextToInt32(u"42"), 42);
  EXPECT_EQ(TextToInt32(u"+42"), 42);
  EXPECT_EQ(TextToInt32(u"-42"), -42);
  EXPECT_EQ(TextToInt32(u"$2A"), 42);
  EXPECT_EQ(TextToInt32(u"0x2a"), 42);
  EXPECT_EQ(TextToInt32(u"0X2A"), 42);
  EXPECT_EQ(TextToInt32(u"x2A"), 42);
  EXPECT_EQ(TextToInt32(u"X2a"), 42);
  EXPECT_EQ(TextToInt32(u"-$10"), -16);
  EXPECT_EQ(TextToInt32(u"  7"), 7);
  EXPECT_EQ(TextToInt32(u"0"), 0);
  EXPECT_EQ(TextToInt32(u"-0"), 0);
  EXPECT_EQ(TextToInt32(u"0000000000000000000042"), 42);
}

TEST(TextToInt32, AcceptsExactlyTheRangeOfThirtyTwoBitDecimals) {
  EXPECT_EQ(TextToInt32(u"2147483647"), 2147483647);
  EXPECT_EQ(TextToInt32(u"-2147483648"), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(TextToInt32(u"2147483648"), std::nullopt);
  EXPECT_EQ(TextToInt32(u"2147483649"), std::nullopt);
  EXPECT_EQ(TextToInt32(u"-2147483649"), std::nullopt);
  EXPECT_EQ(TextToInt32(u"21474836470"), std::nullopt);
  EXPECT_EQ(TextToInt32(u"4294967296"), std::nullopt);
  EXPECT_EQ(TextToInt32(u"1" + std::u16string(1000, u'0')), std::nullopt);
}

TEST(TextToInt32, TakesTheBitsOfUpToEightSignificantHexadecimalDigits) {
  EXPECT_EQ(TextToInt32(u"$FFFFFFFF"), -1);
  EXPECT_EQ(TextToInt32(u"$7FFFFFFF"), 2147483647);
  EXPECT_EQ(TextToInt32(u"$80000000"), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(TextToInt32(u"-$FFFFFFFF"), 1);
  EXPECT_EQ(TextToInt32(u"-$80000000"), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(TextToInt32(u"$1FFFFFFFF"), std::nullopt);
  EXPECT_EQ(TextToInt32(u"$100000000"), std::nullopt);
  EXPECT_EQ(TextToInt32(u"$000000001"), 1);
  EXPECT_EQ(TextToInt32(u"0x" + std::u16string(1000, u'0') + u"abc"), 0xabc);
}

TEST(TextToInt32, RefusesAnythingButDigitsRunningToTheEnd) {
  for (const char16_t* text : {u"1.0",
                               u"1e3",
                               u"12abc",
                               u"0x",
                               u"$",
                               u"x",
                               u"- 1",
                               u"",
                               u" ",
                               u"+",
                               u"-",
                               u"--1",
                               u"+-1",
                               u"42 ",
                               u"$-1",
                               u"0x-1",
                               u"00x1",
                               u"$ 1",
                               u"\uFF14\uFF12",
                               u"\u0664\u0662",
                               u"1_000"})
    EXPECT_EQ(TextToInt32(text), std::nullopt) << Shown(text);
  EXPECT_EQ(TextToInt32(std::u16string(u"1\0", 2)), std::nullopt);
}

TEST(TextToInt64, AcceptsExactlyTheRangeOfSixtyFourBitDecimals) {
  EXPECT_EQ(TextToInt64(u"9223372036854775807"), std::numeric_limits<int64_t>::max());
  EXPECT_EQ(TextToInt64(u"-9223372036854775808"), std::numeric_limits<int64_t>::min());
  EXPECT_EQ(TextToInt64(u"9223372036854775808"), std::nullopt);
  EXPECT_EQ(TextToInt64(u"9223372036854775809"), std::nullopt);
  EXPECT_EQ(TextToInt64(u"-9223372036854775809"), std::nullopt);
  EXPECT_EQ(TextToInt64(u"92233720368547758070"), std::nullopt);
  EXPECT_EQ(TextToInt64(u"2147483648"), 2147483648LL);
  EXPECT_EQ(TextToInt64(u"-42"), -42);
  EXPECT_EQ(TextToInt64(u"-0"), 0);
  EXPECT_EQ(TextToInt64(std::u16string(5000, u'0') + u"7"), 7);
  EXPECT_EQ(TextToInt64(std::u16string(5000, u'9')), std::nullopt);
}

TEST(TextToInt64, TakesTheBitsOfUpToSixteenSignificantHexadecimalDigits) {
  EXPECT_EQ(TextToInt64(u"$FFFFFFFFFFFFFFFF"), -1);
  EXPECT_EQ(TextToInt64(u"$8000000000000000"), std::numeric_limits<int64_t>::min());
  EXPECT_EQ(TextToInt64(u"0x7fffffffffffffff"), std::numeric_limits<int64_t>::max());
  EXPECT_EQ(TextToInt64(u"$FFFFFFFF"), 0xFFFFFFFFLL);
  EXPECT_EQ(TextToInt64(u"-x10"), -16);
  EXPECT_EQ(TextToInt64(u"$1FFFFFFFFFFFFFFFF"), std::nullopt);
  EXPECT_EQ(TextToInt64(u"$00000000000000000001"), 1);
}

TEST(TextToInt64, RefusesAnythingButDigitsRunningToTheEnd) {
  for (const char16_t* text : {u"1.0", u"1e3", u"12abc", u"0x", u"- 1", u"", u"+", u"7 "})
    EXPECT_EQ(TextToInt64(text), std::nullopt);
}

TEST(TextToDouble, ReadsNumbersWithAFullStopSeparator) {
  EXPECT_EQ(Dotted(u"3.546"), 3.546);
  EXPECT_EQ(Dotted(u"-1e3"), -1000.0);
  EXPECT_EQ(Dotted(u"1E-5"), 0.00001);
  EXPECT_EQ(Dotted(u".5"), 0.5);
  EXPECT_EQ(Dotted(u"5."), 5.0);
  EXPECT_EQ(Dotted(u"."), 0.0);
  EXPECT_EQ(Dotted(u"e"), 0.0);
  EXPECT_EQ(Dotted(u"1e+"), 1.0);
  EXPECT_EQ(Dotted(u"+2.5E+2"), 250.0);
  EXPECT_EQ(Dotted(u"  1.5  "), 1.5);
  EXPECT_EQ(Dotted(u"0.1"), 0.1);
  EXPECT_EQ(Dotted(u"123456789012345678901234567890"), 123456789012345678901234567890.0);
}

TEST(TextToDouble, KeepsTheSignOfZero) {
  const auto negativeZero = Dotted(u"-0");
  ASSERT_TRUE(negativeZero.has_value());
  EXPECT_EQ(*negativeZero, 0.0);
  EXPECT_TRUE(std::signbit(*negativeZero));
  const auto negativeTiny = Dotted(u"-1e-999");
  ASSERT_TRUE(negativeTiny.has_value());
  EXPECT_TRUE(std::signbit(*negativeTiny));
}

TEST(TextToDouble, RefusesTextsThatAreNoNumber) {
  for (const char16_t* text :
       {u"abc", u"+",   u"-",   u"",     u"   ", u"1,5", u"1.5.2", u"1 2",    u"1e5e5", u"1e3.5",
        u"e.",  u"inf", u"nan", u"0x10", u"1d5", u"--1", u"+-1",   u"\uFF11", u"1e+-5", u"1..5"})
    EXPECT_EQ(Dotted(text), std::nullopt) << Shown(text);
  EXPECT_EQ(Dotted(std::u16string(u"1\0", 2)), std::nullopt);
}

TEST(TextToDouble, RefusesNumbersBeyondTheLargestDouble) {
  EXPECT_EQ(Dotted(u"1e400"), std::nullopt);
  EXPECT_EQ(Dotted(u"1e1024"), std::nullopt);
  EXPECT_EQ(Dotted(u"-1e309"), std::nullopt);
  EXPECT_EQ(Dotted(u"1.7976931348623159e308"), std::nullopt);
  EXPECT_EQ(Dotted(u"1" + std::u16string(2000, u'0')), std::nullopt);
  EXPECT_EQ(Dotted(u"1.7976931348623157e308"), std::numeric_limits<double>::max());
  EXPECT_EQ(Dotted(u"-1.7976931348623157e308"), -std::numeric_limits<double>::max());
  EXPECT_EQ(Dotted(u"1" + std::u16string(300, u'0')), 1e300);
}

TEST(TextToDouble, TurnsNumbersTooSmallForADoubleIntoZeroOrTheNearestSubnormal) {
  EXPECT_EQ(Dotted(u".5e-400"), 0.0);
  EXPECT_EQ(Dotted(u"1e-5000"), 0.0);
  EXPECT_EQ(Dotted(u"2e-324"), 0.0);
  EXPECT_EQ(Dotted(u"4.9406564584124654e-324"), std::numeric_limits<double>::denorm_min());
  EXPECT_EQ(Dotted(u"3e-324"), std::numeric_limits<double>::denorm_min());
  EXPECT_EQ(Dotted(u"2.2250738585072012e-308"), std::numeric_limits<double>::min());
}

TEST(TextToDouble, CountsAnExponentAboveTenTwentyFourAsTenTwentyFour) {
  // 10^-1001 scaled by 10^1024; had the exponent 2000 been used the result would overflow.
  EXPECT_EQ(Dotted(u"0." + std::u16string(1000, u'0') + u"1e2000"), 1e23);
  EXPECT_EQ(Dotted(u"1" + std::u16string(1000, u'0') + u"e-2000"), 1e-24);
  EXPECT_EQ(Dotted(u"1e" + std::u16string(5000, u'9')), std::nullopt);
}

TEST(TextToDouble, RoundsLongDigitRunsCorrectly) {
  // 2^53 + 1 lies halfway between two doubles; the digits far behind it decide the direction.
  EXPECT_EQ(Dotted(u"9007199254740993"), 9007199254740992.0);
  EXPECT_EQ(Dotted(u"9007199254740993." + std::u16string(1000, u'0')), 9007199254740992.0);
  EXPECT_EQ(Dotted(u"9007199254740993." + std::u16string(1000, u'0') + u"1"), 9007199254740994.0);
  EXPECT_EQ(Dotted(u"9007199254740993" + std::u16string(1000, u'0') + u"1e-1001"),
            9007199254740994.0);
  EXPECT_EQ(Dotted(std::u16string(5000, u'0') + u"1." + std::u16string(5000, u'0')), 1.0);
  EXPECT_EQ(Dotted(u"1" + std::u16string(1200, u'0') + u"e-1024"), 1e176);
  EXPECT_EQ(Dotted(u"0." + std::u16string(2'000'000, u'3')), 1.0 / 3.0);
  EXPECT_EQ(Dotted(u"1" + std::u16string(1000, u'0') + u"e-1000"), 1.0);
}

TEST(TextToDouble, ReadsOnlyTheGivenDecimalSeparator) {
  EXPECT_EQ(TextToDouble(u"1,5", u','), 1.5);
  EXPECT_EQ(TextToDouble(u"-,25e1", u','), -2.5);
  EXPECT_EQ(TextToDouble(u",", u','), 0.0);
  EXPECT_EQ(TextToDouble(u"1.5", u','), std::nullopt);
  EXPECT_EQ(TextToDouble(u"1,5,2", u','), std::nullopt);
  EXPECT_EQ(TextToDouble(u"1\u066B5", u'\u066B'), 1.5);
}

TEST(TextToBoolean, ReadsNonZeroNumbersAsTrueAndZeroAsFalse) {
  for (const char16_t* text : {u"1", u"2.5", u"-1", u"0.5", u"1e-300", u"4.9e-324"})
    EXPECT_EQ(TextToBoolean(text, u'.'), true) << Shown(text);
  for (const char16_t* text : {u"0", u"0.0", u".", u"-0", u"e", u"1e-400", u"0e999"})
    EXPECT_EQ(TextToBoolean(text, u'.'), false) << Shown(text);
}

TEST(TextToBoolean, ReadsTrueAndFalseInAnyLetterCase) {
  for (const char16_t* text : {u"true", u"TRUE", u"True", u"tRuE"})
    EXPECT_EQ(TextToBoolean(text, u'.'), true);
  for (const char16_t* text : {u"false", u"FALSE", u"False", u"fALSe"})
    EXPECT_EQ(TextToBoolean(text, u'.'), false);
}

TEST(TextToBoolean, RefusesOtherWordsAndNumbersBeyondTheDoubleRange) {
  for (const char16_t* text : {u"yes", u"no", u"on", u"t", u"f", u"null", u"", u"truee", u"tru",
                               u"true1", u"1e400", u"\uFF34rue", u"1,5"})
    EXPECT_EQ(TextToBoolean(text, u'.'), std::nullopt) << Shown(text);
}

TEST(TextToBoolean, ReadsNumbersWithTheGivenDecimalSeparator) {
  EXPECT_EQ(TextToBoolean(u"0,5", u','), true);
  EXPECT_EQ(TextToBoolean(u"0,0", u','), false);
  EXPECT_EQ(TextToBoolean(u"0.5", u','), std::nullopt);
  EXPECT_EQ(TextToBoolean(u"True", u','), true);
}

} // namespace
