#include "viewer/TextSearch.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

constexpr std::size_t npos = TextSearch::npos;

std::size_t Next(std::u16string_view Text, std::u16string_view Pattern, std::size_t From,
                 TextSearchOptions Options = {}) {
  return TextSearch(Pattern, Options).Next(Text, From);
}
std::size_t Previous(std::u16string_view Text, std::u16string_view Pattern, std::size_t Before,
                     TextSearchOptions Options = {}) {
  return TextSearch(Pattern, Options).Previous(Text, Before);
}

TEST(TextSearchTest, FindsForwardFromAndBackwardBeforeAPosition) {
  const std::u16string_view text = u"abcabcabc";
  const TextSearchOptions exact{true, false};
  EXPECT_EQ(Next(text, u"abc", 0, exact), 0u);
  EXPECT_EQ(Next(text, u"abc", 1, exact), 3u);
  EXPECT_EQ(Next(text, u"abc", 6, exact), 6u);
  EXPECT_EQ(Next(text, u"abc", 7, exact), npos);
  EXPECT_EQ(Next(text, u"abc", 100, exact), npos);
  EXPECT_EQ(Previous(text, u"abc", 9, exact), 6u);
  EXPECT_EQ(Previous(text, u"abc", 6, exact), 3u);
  EXPECT_EQ(Previous(text, u"abc", 1, exact), 0u);
  EXPECT_EQ(Previous(text, u"abc", 0, exact), npos);
  EXPECT_EQ(Previous(text, u"abc", 100, exact), 6u);
  // Overlapping hits each count.
  EXPECT_EQ(Next(u"aaaa", u"aa", 1, exact), 1u);
  EXPECT_EQ(Previous(u"aaaa", u"aa", 3, exact), 2u);
}

TEST(TextSearchTest, AnEmptyPatternOrOneLongerThanTheTextIsFoundNowhere) {
  for (const bool matchCase : {false, true}) {
    EXPECT_EQ(Next(u"abc", u"", 0, {matchCase, false}), npos);
    EXPECT_EQ(Previous(u"abc", u"", 3, {matchCase, false}), npos);
    EXPECT_EQ(Next(u"ab", u"abc", 0, {matchCase, false}), npos);
    EXPECT_EQ(Previous(u"ab", u"abc", 2, {matchCase, false}), npos);
    EXPECT_EQ(Next(u"", u"a", 0, {matchCase, false}), npos);
  }
}

TEST(TextSearchTest, WithoutMatchCaseLettersOfEveryCasedScriptMatchEitherCase) {
  EXPECT_EQ(Next(u"x Hello", u"hELLO", 0), 2u);
  EXPECT_EQ(Next(u"x Hello", u"hELLO", 0, {true, false}), npos);
  EXPECT_EQ(Next(u"ПРИВЕТ мир", u"привет", 0), 0u);
  EXPECT_EQ(Next(u"Ärger", u"äRGER", 0), 0u);
  EXPECT_EQ(Previous(u"straße STRASSE", u"STRAßE", 14), 0u);
  // Digits and signs have no case and match only themselves.
  EXPECT_EQ(Next(u"a1b2", u"B2", 0), 2u);
  EXPECT_EQ(Next(u"[{", u"{", 0), 1u);
}

TEST(TextSearchTest, WholeWordsNeedNoLetterDigitOrUnderscoreOnEitherSide) {
  const TextSearchOptions words{true, true};
  EXPECT_EQ(Next(u"cat concat cat_ cats cat", u"cat", 0, words), 0u);
  EXPECT_EQ(Next(u"cat concat cat_ cats cat", u"cat", 1, words), 21u);
  EXPECT_EQ(Previous(u"cat concat cat_ cats cat", u"cat", 21, words), 0u);
  EXPECT_EQ(Next(u"\"cat\":1", u"cat", 0, words), 1u);
  EXPECT_EQ(Next(u"2cat", u"cat", 0, words), npos);
  EXPECT_EQ(Next(u"éid id", u"id", 0, words), 4u);
  EXPECT_EQ(Next(u"Идёт id", u"Ид", 0, words), npos);
  EXPECT_EQ(Next(u"漢字id", u"id", 0, words), npos);
  // A pattern that is itself no word still needs free sides.
  EXPECT_EQ(Next(u"a-b -", u"-", 0, words), 4u);
  EXPECT_EQ(Next(u"cat", u"CAT", 0, {false, true}), 0u);
}

// The plain definition: every start position compared unit by unit, folded with the same rule.
std::size_t NaiveNext(std::u16string_view Text, std::u16string_view Pattern, std::size_t From,
                      bool MatchCase) {
  const auto fold = [MatchCase](char16_t c) {
    return !MatchCase && c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - 32) : c;
  };
  if (Pattern.empty())
    return npos;
  for (std::size_t at = From; at + Pattern.size() <= Text.size(); ++at) {
    bool same = true;
    for (std::size_t i = 0; i < Pattern.size() && same; ++i)
      same = fold(Text[at + i]) == fold(Pattern[i]);
    if (same)
      return at;
  }
  return npos;
}

TEST(TextSearchTest, AgreesWithThePlainDefinitionOnRandomTexts) {
  std::mt19937 random(20261209);
  std::uniform_int_distribution<int> unit(0, 5);
  const char16_t alphabet[] = u"aAbB,\"";
  for (int round = 0; round < 3000; ++round) {
    std::u16string text(random() % 40, u' ');
    for (char16_t& c : text)
      c = alphabet[unit(random)];
    std::u16string pattern(1 + random() % 3, u' ');
    for (char16_t& c : pattern)
      c = alphabet[unit(random)];
    const std::size_t from = random() % (text.size() + 2);
    const bool matchCase = round % 2 == 0;
    const TextSearch search(pattern, {matchCase, false});
    ASSERT_EQ(search.Next(text, from), NaiveNext(text, pattern, from, matchCase))
        << "round " << round;
    // Backwards: the last hit before From is the last one the forward walk meets.
    std::size_t last = npos;
    for (std::size_t at = NaiveNext(text, pattern, 0, matchCase); at != npos && at < from;
         at = NaiveNext(text, pattern, at + 1, matchCase))
      last = at;
    ASSERT_EQ(search.Previous(text, from), last) << "round " << round;
  }
}

} // namespace
