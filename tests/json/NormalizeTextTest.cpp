#include "json/NormalizeText.h"

#include "ReferenceText.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdio>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

std::u16string Normalized(std::u16string text) {
  ujson::NormalizeText(text);
  return text;
}

// Readable form of a text for failure messages: printable ASCII as is, everything else as \xHHHH.
std::string Describe(const std::u16string& text) {
  std::string out;
  for (char16_t c : text) {
    if (c >= 0x21 && c < 0x7F && c != u'\\') {
      out += static_cast<char>(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%04X", static_cast<unsigned>(c));
      out += hex;
    }
  }
  return out;
}

void ExpectSameAsReferenceOnRandomTexts(const std::u16string& alphabet, unsigned seed, int cases) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> lengthOf(0, 30);
  std::uniform_int_distribution<std::size_t> letterOf(0, alphabet.size() - 1);
  int failures = 0;
  for (int n = 0; n < cases && failures < 10; ++n) {
    std::u16string text(static_cast<std::size_t>(lengthOf(random)), u' ');
    for (char16_t& c : text)
      c = alphabet[letterOf(random)];
    const std::u16string expected = reference_text::Normalize(text);
    const std::u16string actual = Normalized(text);
    if (actual != expected) {
      ++failures;
      ADD_FAILURE() << "input    " << Describe(text) << "\nexpected " << Describe(expected)
                    << "\nactual   " << Describe(actual);
    }
  }
}

TEST(NormalizeText, GivesTheSameTextAsTheLiteralScanOnRandomTexts) {
  const std::u16string alphabet{u' ', u'\t', u'\n', u'\r', u'\\', u'u', u'U', u'0',
                                u'4', u'1',  u'a',  u'F',  u'g',  u'"', u'\0'};
  ExpectSameAsReferenceOnRandomTexts(alphabet, 20240601u, 100000);
}

TEST(NormalizeText, GivesTheSameTextAsTheLiteralScanWhenDecodedCharactersMeetTheirNeighbours) {
  // These digits spell backslash (5C), quote (22), "u" (75), space (20) and the removed controls
  // (09, 0A, 0D), so decoded characters stand next to backslashes, quotes, spaces and escapes.
  const std::u16string alphabet{u'\\', u'u', u'U', u'0', u'5',  u'7', u'C', u'2',
                                u'9',  u'A', u'D', u' ', u'\n', u'"', u'\t'};
  ExpectSameAsReferenceOnRandomTexts(alphabet, 77u, 30000);
}

TEST(NormalizeText, GivesTheSameTextAsTheLiteralScanOnRandomDocuments) {
  // Strings with runs of spaces, line breaks and escaped backslashes between brackets and commas.
  const std::u16string alphabet{u'{',  u'}',  u'[',  u']', u',', u':',  u'"',
                                u'"',  u'\\', u'\\', u' ', u' ', u'\t', u'\r',
                                u'\n', u'u',  u'0',  u'0', u'4', u'1',  u'x'};
  ExpectSameAsReferenceOnRandomTexts(alphabet, 9001u, 50000);
}

TEST(NormalizeText, RemovesLineBreaksAndShrinksIndentationOfAFourLineFile) {
  const std::u16string file = u"{\r\n  \"a\": 1,\r\n  \"b\": \"x  y\"\r\n}\r\n";
  const std::u16string result = Normalized(file);
  EXPECT_EQ(result, u"{ \"a\": 1, \"b\": \"x  y\"}\n");
  EXPECT_EQ(result.size(), 23u);
}

TEST(NormalizeText, RemovesControlsEverywhereButInTheLastPosition) {
  EXPECT_EQ(Normalized(u"[1\t2]"), u"[12]");
  EXPECT_EQ(Normalized(u"[1,\t2]"), u"[1,2]");
  EXPECT_EQ(Normalized(u"[1]\r\n"), u"[1]\n");
  EXPECT_EQ(Normalized(u"[1]\n\t"), u"[1]\t");
  EXPECT_EQ(Normalized(u"\r\n\t"), u"\t");
  EXPECT_EQ(Normalized(u"\t\t"), u"\t");
  EXPECT_EQ(Normalized(u"\r\r\r\r"), u"\r");
}

TEST(NormalizeText, LeavesEmptyAndOneCharacterTextsAlone) {
  EXPECT_EQ(Normalized(u""), u"");
  EXPECT_EQ(Normalized(u"\t"), u"\t");
  EXPECT_EQ(Normalized(u" "), u" ");
  EXPECT_EQ(Normalized(u"\\"), u"\\");
  EXPECT_EQ(Normalized(std::u16string(1, u'\0')), std::u16string(1, u'\0'));
}

TEST(NormalizeText, ShrinksRunsOfSpacesBetweenTokensToOneSpace) {
  EXPECT_EQ(Normalized(u"     "), u" ");
  EXPECT_EQ(Normalized(u"   [ 1 ,  2 ]   "), u" [ 1 , 2 ] ");
  // Spaces that meet once a control between them is gone are a pair as well.
  EXPECT_EQ(Normalized(u"a \t \r\n b"), u"a b");
  EXPECT_EQ(Normalized(u"x\t  \t  "), u"x ");
}

TEST(NormalizeText, DecodesFourDigitEscapesInEitherLetterCase) {
  EXPECT_EQ(Normalized(u"\\u0041"), u"A");
  EXPECT_EQ(Normalized(u"\\U0041"), u"A");
  EXPECT_EQ(Normalized(u"\"\\u004a\\u004A\""), u"\"JJ\"");
  EXPECT_EQ(Normalized(u"x\\u00e9y"), u"x\u00e9y");
  EXPECT_EQ(Normalized(u"\\uFFFF"), u"\uFFFF");
  EXPECT_EQ(Normalized(u"\\u0000z"), std::u16string({u'\0', u'z'}));
  EXPECT_EQ(Normalized(u"\\u12345"), u"\u12345");
}

TEST(NormalizeText, DecodesAnEscapeEndingAtTheLastCharacterButNotOneCutShort) {
  EXPECT_EQ(Normalized(u"[\"ab\\u0041"), u"[\"abA");
  EXPECT_EQ(Normalized(u"[\"ab\\u004"), u"[\"ab\\u004");
  EXPECT_EQ(Normalized(u"\\u"), u"\\u");
}

TEST(NormalizeText, KeepsEveryCharacterInsideStringsAsItStands) {
  EXPECT_EQ(Normalized(u"\"a  b\""), u"\"a  b\"");
  EXPECT_EQ(Normalized(u"{\"  k  \" : \"   lead\", \"t\":\"trail  \"}"),
            u"{\"  k  \" : \"   lead\", \"t\":\"trail  \"}");
  EXPECT_EQ(Normalized(u"[\"a\tb\r\nc\", \t\"\n\"]"), u"[\"a\tb\r\nc\", \"\n\"]");
  // An escaped quote does not end the string; an escaped backslash before a quote does not
  // keep it open.
  EXPECT_EQ(Normalized(u"[\"a\\\"  b\",  \"c\\\\\",  \"  d\"]"),
            u"[\"a\\\"  b\", \"c\\\\\", \"  d\"]");
  // A string left open at the end keeps the rest of the text as it stands.
  EXPECT_EQ(Normalized(u"[1,  \"x  \t\n"), u"[1, \"x  \t\n");
}

TEST(NormalizeText, TakesATextAsTheContentOfAnOpenStringWhenAsked) {
  std::u16string content = u"a  b\t\\u0041  \\\"  c";
  ujson::NormalizeText(content, true);
  EXPECT_EQ(content, u"a  b\tA  \\\"  c");
  // A quote closes the string; what follows is outside it.
  std::u16string closed = u"x  \"  ,\t \"  y";
  ujson::NormalizeText(closed, true);
  EXPECT_EQ(closed, u"x  \" , \"  y");
}

TEST(NormalizeText, TakesTheFourCharactersAfterAnEscapeAsTheyStand) {
  // Controls between the digits are no digits, inside strings and out; the text that is left
  // once they are gone is not looked at again.
  EXPECT_EQ(Normalized(u"\"\\u00\n41\""), u"\"\\u00\n41\"");
  EXPECT_EQ(Normalized(u"\\u00\n41"), u"\\u0041");
  EXPECT_EQ(Normalized(u"\\u\r\n0041"), u"\\u0041");
}

TEST(NormalizeText, EndsTheDigitsAtANulAndStillRemovesSixCharacters) {
  EXPECT_EQ(Normalized(std::u16string(u"\\u4\0zzx", 7)), std::u16string(u"\u0004x"));
  EXPECT_EQ(Normalized(std::u16string(u"\\u41\0!", 6)), u"A");
  // No digit before the NUL: not a number, the escape stays.
  const std::u16string noDigit{u'\\', u'u', u'\0', u'0', u'4', u'1'};
  EXPECT_EQ(Normalized(noDigit), noDigit);
}

TEST(NormalizeText, NeedsAllFourDigitsInsideTheText) {
  EXPECT_EQ(Normalized(u"\\u4\t\t1"), u"\\u41");
  // Here the last position holds a TAB, which is no hex digit.
  EXPECT_EQ(Normalized(u"\\u41\t\t"), u"\\u41\t");
}

TEST(NormalizeText, StartsAnEscapeOnlyAfterAnEvenRunOfBackslashes) {
  // An escaped backslash and then the letters u0000: a strict reader reads six characters.
  EXPECT_EQ(Normalized(u"[\"\\\\u0000\"]"), u"[\"\\\\u0000\"]");
  EXPECT_EQ(Normalized(u"\"\\\\\\u0041\""), u"\"\\\\A\"");
  EXPECT_EQ(Normalized(u"\"\\\\\\\\u0041\""), u"\"\\\\\\\\u0041\"");
  EXPECT_EQ(Normalized(u"\"\\\\\\\\\\u0041\""), u"\"\\\\\\\\A\"");
  // A decoded "u" never joins a backslash before it into a further escape.
  EXPECT_EQ(Normalized(u"\\\\u00750041"), u"\\\\u00750041");
  EXPECT_EQ(Normalized(u"\\\\\\u00750041"), u"\\\\u0041");
}

TEST(NormalizeText, WritesADecodedQuoteOrBackslashAsItsTwoCharacterEscape) {
  EXPECT_EQ(Normalized(u"{\"c\":\"\\u0022q\\u0022\",\"d\":2}"), u"{\"c\":\"\\\"q\\\"\",\"d\":2}");
  EXPECT_EQ(Normalized(u"\"a\\u005Cb\""), u"\"a\\\\b\"");
  EXPECT_EQ(Normalized(u"\\U005c"), u"\\\\");
  // The escaped backslash does not start an escape with the "u" behind it, decoded or not.
  EXPECT_EQ(Normalized(u"\\u005Cu0041"), u"\\\\u0041");
  EXPECT_EQ(Normalized(u"\\u005C\\u00750041"), u"\\\\u0041");
  // Digits cut short by the end of the text still give the escape.
  EXPECT_EQ(Normalized(std::u16string(u"\\u22\0!", 6)), u"\\\"");
}

TEST(NormalizeText, KeepsDecodedControlsAndSpacesThatTheScanHasPassed) {
  EXPECT_EQ(Normalized(u"a\\u000Ab"), u"a\nb");
  EXPECT_EQ(Normalized(u"\\u0020 "), u"  ");
  // A decoded space is no layout: it never pairs with a space of the text.
  EXPECT_EQ(Normalized(u" \\u0020"), u"  ");
  EXPECT_EQ(Normalized(u"[1,\\u0009 2]"), u"[1,\t 2]");
}

TEST(NormalizeText, DecodesTheEscapesOfASurrogatePairIntoThePair) {
  EXPECT_EQ(Normalized(u"\"\\uD83D\\uDE00\""), u"\"\U0001F600\"");
  // Halves on their own are decoded all the same.
  EXPECT_EQ(Normalized(u"\\uDE00\\uD83D"), std::u16string({char16_t(0xDE00), char16_t(0xD83D)}));
}

TEST(NormalizeText, LeavesEscapesWithoutHexadecimalDigitsAsTheyStand) {
  EXPECT_EQ(Normalized(u"\"\\u004\""), u"\"\\u004\"");
  EXPECT_EQ(Normalized(u"\\u004\""), u"\\u004\"");
  EXPECT_EQ(Normalized(u"{\"p\": \"C:\\\\Users\\\\x\"}"), u"{\"p\": \"C:\\\\Users\\\\x\"}");
  EXPECT_EQ(Normalized(u"C:\\Users\\x"), u"C:\\Users\\x");
  EXPECT_EQ(Normalized(u"\\u 041"), u"\\u 041");
  EXPECT_EQ(Normalized(u"\\u+041"), u"\\u+041");
  // A failed escape does not stop the work to its left.
  EXPECT_EQ(Normalized(u"\\u0041  \\uzzzz\t"), u"A \\uzzzz\t");
}

// The piece repeated count times, built by doubling so that building stays cheap under sanitizers.
std::u16string Repeated(const std::u16string& piece, std::size_t count) {
  std::u16string text = piece;
  while (text.size() < piece.size() * count)
    text += text;
  text.resize(piece.size() * count);
  return text;
}

TEST(NormalizeText, HandlesHugeTextsOfTheCharactersThatNeedWork) {
  // 20 MB of each character that takes the slow path.
  const std::size_t size = 10'000'000;

  std::u16string spaces(size, u' ');
  ujson::NormalizeText(spaces);
  EXPECT_EQ(spaces, u" ");

  std::u16string backslashes(size, u'\\');
  ujson::NormalizeText(backslashes);
  EXPECT_EQ(backslashes.size(), size);

  std::u16string lineEnds = Repeated(u"\r\n", size / 4);
  ujson::NormalizeText(lineEnds);
  EXPECT_EQ(lineEnds, u"\n");

  const std::u16string failedCopy = Repeated(u"\\u", size / 4);
  std::u16string failedEscapes = failedCopy;
  ujson::NormalizeText(failedEscapes);
  EXPECT_TRUE(failedEscapes == failedCopy);

  std::u16string escapes = Repeated(u"\\u0041", size / 12);
  ujson::NormalizeText(escapes);
  EXPECT_EQ(escapes.size(), size / 12);
  EXPECT_EQ(escapes.find_first_not_of(u'A'), std::u16string::npos);

  // A long run of backslashes before an escape: the pairs stay, the odd one out decodes.
  const std::size_t depth = 500'001;
  std::u16string run = std::u16string(depth, u'\\') + u"u0041";
  ujson::NormalizeText(run);
  EXPECT_EQ(run.size(), depth);
  EXPECT_TRUE(run.back() == u'A' && run.find_first_not_of(u'\\') == depth - 1);

  // 20 MB inside one string: spaces, controls and all stay.
  const std::u16string inString = u'"' + Repeated(u" \t\r\n", size / 4) + u'"';
  std::u16string kept = inString;
  ujson::NormalizeText(kept);
  EXPECT_TRUE(kept == inString);
}

} // namespace
