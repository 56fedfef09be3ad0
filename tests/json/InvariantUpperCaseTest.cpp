#include "json/InvariantUpperCase.h"

#include <gtest/gtest.h>

namespace {

using ujson::InvariantUpperCase;

TEST(InvariantUpperCase, MapsLettersOfEveryScriptToTheirCapitals) {
  EXPECT_EQ(InvariantUpperCase(u'a'), u'A');
  EXPECT_EQ(InvariantUpperCase(u'z'), u'Z');
  EXPECT_EQ(InvariantUpperCase(u'ä'), u'Ä');
  EXPECT_EQ(InvariantUpperCase(u'ÿ'), u'Ÿ');
  EXPECT_EQ(InvariantUpperCase(u'\u00B5'), u'\u039C');
  EXPECT_EQ(InvariantUpperCase(u'ā'), u'Ā');
  EXPECT_EQ(InvariantUpperCase(u'ı'), u'I');
  EXPECT_EQ(InvariantUpperCase(u'ſ'), u'S');
  EXPECT_EQ(InvariantUpperCase(u'σ'), u'Σ');
  EXPECT_EQ(InvariantUpperCase(u'ς'), u'Σ');
  EXPECT_EQ(InvariantUpperCase(u'я'), u'Я');
  EXPECT_EQ(InvariantUpperCase(u'ё'), u'Ё');
  EXPECT_EQ(InvariantUpperCase(u'ա'), u'Ա');
  EXPECT_EQ(InvariantUpperCase(u'ǆ'), u'Ǆ');
  EXPECT_EQ(InvariantUpperCase(u'ǅ'), u'Ǆ');
  EXPECT_EQ(InvariantUpperCase(u'ⓐ'), u'Ⓐ');
  EXPECT_EQ(InvariantUpperCase(u'ａ'), u'Ａ');
  EXPECT_EQ(InvariantUpperCase(u'\u0345'), u'\u0399');
}

TEST(InvariantUpperCase, LeavesCapitalsDigitsAndSymbolsAlone) {
  for (const char16_t c : u"AZ09 _-\"\\ÄΣЯ€") {
    EXPECT_EQ(InvariantUpperCase(c), c);
  }
  EXPECT_EQ(InvariantUpperCase(u'\uFFFF'), u'\uFFFF');
}

TEST(InvariantUpperCase, UsesTheSimpleMappingWhereTheFullOneHasSeveralCharacters) {
  // No capital of one unit: the sharp s, ligatures, letters with marks.
  EXPECT_EQ(InvariantUpperCase(u'ß'), u'ß');
  EXPECT_EQ(InvariantUpperCase(u'ŉ'), u'ŉ');
  EXPECT_EQ(InvariantUpperCase(u'ǰ'), u'ǰ');
  EXPECT_EQ(InvariantUpperCase(u'ﬀ'), u'ﬀ');
  EXPECT_EQ(InvariantUpperCase(u'ΐ'), u'ΐ');
  EXPECT_EQ(InvariantUpperCase(u'ᾲ'), u'ᾲ');
  // Greek with iota subscript takes the capital with prosgegrammeni; those stay themselves.
  EXPECT_EQ(InvariantUpperCase(u'\u1F80'), u'\u1F88');
  EXPECT_EQ(InvariantUpperCase(u'\u1FA7'), u'\u1FAF');
  EXPECT_EQ(InvariantUpperCase(u'\u1F88'), u'\u1F88');
  EXPECT_EQ(InvariantUpperCase(u'\u1FB3'), u'\u1FBC');
  EXPECT_EQ(InvariantUpperCase(u'\u1FBC'), u'\u1FBC');
  EXPECT_EQ(InvariantUpperCase(u'\u1FF3'), u'\u1FFC');
}

TEST(InvariantUpperCase, MapsSurrogateUnitsToThemselves) {
  for (char32_t c = 0xD800; c <= 0xDFFF; ++c)
    EXPECT_EQ(InvariantUpperCase(static_cast<char16_t>(c)), static_cast<char16_t>(c));
}

} // namespace
