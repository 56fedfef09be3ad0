// The parser looks for the end of a string and of a bare value several units at a time. These
// cases put the units that end them (and backslash runs, and units that only look like them in
// one byte) at every offset around the block boundaries and at the very end of the text. Each
// text sits in a buffer of exactly its length, so that a sanitizer build sees any read past it.

#include "json/NodeRecordBuilder.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

namespace {

using ujson::TNodeRecordBuilder;
using ujson::TNodeRecords;

struct Parsed {
  TNodeRecords records;
  int32_t position = 1;
};

std::unique_ptr<Parsed> ParseExact(std::u16string_view text) {
  // Exactly the text's length: no terminator, no spare capacity.
  const auto buffer = std::make_unique<char16_t[]>(text.size());
  std::copy(text.begin(), text.end(), buffer.get());
  auto parsed = std::make_unique<Parsed>();
  parsed->records.Append();
  TNodeRecordBuilder(parsed->records, {buffer.get(), text.size()}, 0, 0).Parse(parsed->position);
  return parsed;
}

// Units that are none of quote, backslash, space, comma or closing bracket, though some share
// the low byte of one.
constexpr std::u16string_view Filler = u"a1\u0122\u015C\u0120\u012C\u015D\u017D=\u00e9";

std::u16string FillerOf(size_t count) {
  std::u16string units;
  for (size_t i = 0; i < count; ++i)
    units += Filler[i % Filler.size()];
  return units;
}

TEST(ParserBlockScan, AStringEndsAtTheFirstQuoteWithoutAnOddBackslashRunBeforeIt) {
  for (size_t lead = 0; lead < 9; ++lead) {
    for (size_t before = 0; before < 19; ++before) {
      for (size_t run = 0; run < 6; ++run) {
        for (const bool closed : {true, false}) {
          // An escape that ends before the filler leaves the closing quote unescaped; an odd
          // run escapes the first quote, and the string goes on to a second one.
          const std::u16string_view escape = run % 2 == 0 ? u"\\n" : u"";
          std::u16string text = u"[" + std::u16string(lead, u' ') + u"\"" + std::u16string(escape) +
                                FillerOf(before) + std::u16string(run, u'\\') + u"\"";
          if (run % 2 == 1)
            text += FillerOf(before % 3) + u"\"";
          const auto finish = static_cast<int32_t>(text.size()) - 1;
          if (closed)
            text += u"]";
          SCOPED_TRACE(testing::Message() << "lead " << lead << ", before " << before << ", run "
                                          << run << (closed ? "" : ", at the end"));
          const auto parsed = ParseExact(text);
          ASSERT_EQ(parsed->records.Size(), 2u);
          EXPECT_EQ(parsed->records.Kind(1), jt_variant);
          EXPECT_TRUE(parsed->records.Quoted(1));
          EXPECT_EQ(parsed->records.Value(1).Start, static_cast<int32_t>(lead) + 3);
          EXPECT_EQ(parsed->records.Value(1).Finish, finish);
        }
      }
    }
  }
}

TEST(ParserBlockScan, AStringThatNeverClosesLeavesItsValueEmptyAndStopsAtTheTextsEnd) {
  for (size_t length = 0; length < 40; ++length) {
    for (size_t run = 0; run < 4; ++run) {
      // The last backslash run may escape the quote written as the text's last unit.
      const std::u16string text = u"{\"a\": \"" + FillerOf(length) + std::u16string(run, u'\\') +
                                  (run % 2 == 1 ? u"\"" : u"");
      SCOPED_TRACE(testing::Message() << "length " << length << ", run " << run);
      const auto parsed = ParseExact(text);
      ASSERT_EQ(parsed->records.Size(), 2u);
      EXPECT_EQ(parsed->records.Kind(1), jt_string);
      EXPECT_EQ(parsed->records.Value(1).Start, 8);
      EXPECT_EQ(parsed->records.Value(1).Finish, 7);
    }
  }
}

TEST(ParserBlockScan, ABareValueEndsAtTheFirstSpaceCommaOrClosingBracket) {
  for (size_t lead = 0; lead < 9; ++lead) {
    for (size_t length = 1; length < 19; ++length) {
      for (const char16_t delimiter : {u' ', u',', u']', u'}', u'\0'}) {
        std::u16string text = u"[" + std::u16string(lead, u' ') + FillerOf(length);
        const auto start = static_cast<int32_t>(lead) + 2;
        // Without a delimiter the value runs to the end of the text.
        if (delimiter != u'\0')
          text += std::u16string(1, delimiter) + u"1]";
        SCOPED_TRACE(testing::Message() << "lead " << lead << ", length " << length
                                        << ", delimiter " << static_cast<int>(delimiter));
        const auto parsed = ParseExact(text);
        ASSERT_GE(parsed->records.Size(), 2u);
        EXPECT_EQ(parsed->records.Kind(1), jt_variant);
        EXPECT_FALSE(parsed->records.Quoted(1));
        EXPECT_EQ(parsed->records.Value(1).Start, start);
        EXPECT_EQ(parsed->records.Value(1).Finish, start + static_cast<int32_t>(length) - 1);
      }
    }
  }
}

} // namespace
