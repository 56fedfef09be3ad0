#include "json/TextDecoding.h"

#include "json/Regional.h"
#include "json/UnicodeConversion.h"

#include "CodePageGuard.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>

namespace {

using namespace std::string_literals;
using ujson::DecodeFileBytes;

TEST(TextDecoding, EachByteOrderMarkChoosesItsEncodingAndIsDropped) {
  CodePageGuard cp(1252);
  EXPECT_EQ(DecodeFileBytes("\xEF\xBB\xBF{\"a\":\"\xC3\xBC\"}"), u"{\"a\":\"ü\"}");
  EXPECT_EQ(DecodeFileBytes("\xFF\xFE{\0\x16\x04}\0"s), u"{Ж}");
  EXPECT_EQ(DecodeFileBytes("\xFE\xFF\0{\x04\x16\0}"s), u"{Ж}");
  EXPECT_EQ(DecodeFileBytes("\xFF\xFE\x3D\xD8\x00\xDE"s), u"\U0001F600");
  EXPECT_EQ(DecodeFileBytes("\xFE\xFF\xD8\x3D\xDE\x00"s), u"\U0001F600");
  // A mark is only a mark at the very start.
  EXPECT_EQ(DecodeFileBytes(" \xEF\xBB\xBF"), u" \uFEFF");
}

TEST(TextDecoding, AFileHoldingOnlyAMarkGivesTheEmptyText) {
  EXPECT_EQ(DecodeFileBytes("\xEF\xBB\xBF"), u"");
  EXPECT_EQ(DecodeFileBytes("\xFF\xFE"), u"");
  EXPECT_EQ(DecodeFileBytes("\xFE\xFF"), u"");
  EXPECT_EQ(DecodeFileBytes(""), u"");
}

TEST(TextDecoding, AnOddTrailingByteOfUtf16BecomesAReplacementCharacter) {
  EXPECT_EQ(DecodeFileBytes("\xFE\xFF\0A\x01"s), u"A\uFFFD");
  EXPECT_EQ(DecodeFileBytes("\xFF\xFE\x41\0\x01"s), u"A\uFFFD");
  EXPECT_EQ(DecodeFileBytes("\xFE\xFF\x01"), u"\uFFFD");
}

TEST(TextDecoding, IllFormedUtf8AfterAMarkBecomesOneReplacementPerMaximalSubpart) {
  CodePageGuard cp(1252);
  const std::string mark = "\xEF\xBB\xBF";
  EXPECT_EQ(DecodeFileBytes(mark + "a\xC3(b"), u"a\uFFFD(b");
  EXPECT_EQ(DecodeFileBytes(mark + "\xC0\xAF"), u"\uFFFD\uFFFD") << "overlong";
  EXPECT_EQ(DecodeFileBytes(mark + "\xE0\x80\xAF"), u"\uFFFD\uFFFD\uFFFD") << "overlong";
  EXPECT_EQ(DecodeFileBytes(mark + "\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD") << "surrogate";
  EXPECT_EQ(DecodeFileBytes(mark + "\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD")
      << "above U+10FFFF";
  EXPECT_EQ(DecodeFileBytes(mark + "\xF5\xFF\xFE"), u"\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(DecodeFileBytes(mark + "x\x80y"), u"x\uFFFDy") << "lone continuation";
  // The example the Unicode Standard gives for maximal subparts.
  EXPECT_EQ(DecodeFileBytes(mark + "\x61\xF1\x80\x80\xE1\x80\xC2\x62\x80\x63\x80\xBF\x64"),
            u"a\uFFFD\uFFFD\uFFFDb\uFFFDc\uFFFD\uFFFDd");
  // Truncated sequences at the end of the input.
  EXPECT_EQ(DecodeFileBytes(mark + "ok\xF0\x9F\x98"), u"ok\uFFFD");
  EXPECT_EQ(DecodeFileBytes(mark + "ok\xE2\x82"), u"ok\uFFFD");
  EXPECT_EQ(DecodeFileBytes(mark + "ok\xC3"), u"ok\uFFFD");
  // Well-formed boundary code points still decode.
  EXPECT_EQ(DecodeFileBytes(mark + "\xC2\x80\xEF\xBF\xBF\xF4\x8F\xBF\xBF"),
            u"\u0080\uFFFF\U0010FFFF");
}

TEST(TextDecoding, WellFormedUtf8WithoutAMarkDecodesAsUtf8WhateverTheCodePage) {
  for (uint32_t codePage : {1252u, 1251u}) {
    CodePageGuard cp(codePage);
    EXPECT_EQ(DecodeFileBytes("Gr\xC3\xBC\xC3\x9F\x65"), u"Grüße");
    EXPECT_EQ(DecodeFileBytes("\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"), u"Привет");
    const std::u16string emoji = DecodeFileBytes("[\"\xF0\x9F\x98\x80\"]");
    EXPECT_EQ(emoji, u"[\"\U0001F600\"]");
    ASSERT_EQ(emoji.size(), 6u);
    EXPECT_EQ(emoji[2], char16_t(0xD83D));
    EXPECT_EQ(emoji[3], char16_t(0xDE00));
    EXPECT_EQ(DecodeFileBytes("\xE2\x82\xAC"), u"€");
  }
}

TEST(TextDecoding, BytesThatAreNotUtf8WithoutAMarkDecodeByTheAnsiCodePage) {
  {
    CodePageGuard cp(1252);
    EXPECT_EQ(DecodeFileBytes("caf\xE9"), u"café");
    EXPECT_EQ(DecodeFileBytes("\x80\x81"), u"\u20AC\u0081");
    // Bad bytes as common as the good sequences send the whole input, its valid UTF-8
    // included, to the code page.
    EXPECT_EQ(DecodeFileBytes("Gr\xC3\xBC\xC3\x9F\x65 caf\xE9"), u"GrÃ¼ÃŸe café");
    // A sequence cut off at the end is not UTF-8 either.
    EXPECT_EQ(DecodeFileBytes("abc\xC3"), u"abcÃ");
    EXPECT_EQ(DecodeFileBytes("abc\xE2\x82"), u"abcâ\u201A");
    // Overlongs and encoded surrogates are not UTF-8.
    EXPECT_EQ(DecodeFileBytes("\xC0\xAF"), u"À¯");
    EXPECT_EQ(DecodeFileBytes("\xED\xA0\x80"), u"í\u00A0\u20AC");
  }
  {
    CodePageGuard cp(1251);
    EXPECT_EQ(DecodeFileBytes("caf\xE9"), u"cafй");
    EXPECT_EQ(DecodeFileBytes("\xCF\xF0\xE8\xE2\xE5\xF2"), u"Привет");
  }
}

// A file's bytes from its pieces, one after the other.
std::string Joined(std::initializer_list<std::string_view> pieces) {
  std::string bytes;
  for (const std::string_view piece : pieces)
    bytes += piece;
  return bytes;
}

TEST(TextDecoding, Utf8ButForAFewBadBytesDecodesAsUtf8WithAReplacementForEach) {
  const std::string privet = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82"; // Привет
  for (uint32_t codePage : {1251u, 1252u}) {
    CodePageGuard cp(codePage);
    // One stray byte, a sequence cut short, a lone continuation byte.
    EXPECT_EQ(DecodeFileBytes(Joined({"{\"", privet, "\": \"\xFF", privet, "\"}"})),
              u"{\"Привет\": \"\uFFFDПривет\"}");
    EXPECT_EQ(DecodeFileBytes(Joined({privet, "\xD0", " ", privet, "\x80"})),
              u"Привет\uFFFD Привет\uFFFD");
    // The share is what counts: four good sequences carry one bad one, three do not.
    EXPECT_EQ(DecodeFileBytes("\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xFF"), u"Прив\uFFFD");
  }
  CodePageGuard cp(1252);
  EXPECT_EQ(DecodeFileBytes("\xD0\x9F\xD1\x80\xD0\xB8\xFF"), u"ÐŸÑ€Ð¸ÿ");
}

TEST(TextDecoding, TextInASingleByteCodePageStaysWithTheCodePage) {
  {
    // Cyrillic in 1251: capitals are lead bytes, and a few letters and marks continuation
    // bytes, so some pairs are valid UTF-8 by chance ("ПЁ" is CF A8).
    CodePageGuard cp(1251);
    EXPECT_EQ(DecodeFileBytes("{\"\xCF\xA8\xD1\": \"\xC0\xE1\xE2 \xAB\xC5\xB8\xBB\"}"),
              u"{\"ПЁС\": \"Абв «Её»\"}");
    EXPECT_EQ(
        DecodeFileBytes("\xD1\xFA\xE5\xF8\xFC \xE6\xE5 \xE5\xF9\xB8 \xFD\xF2\xE8\xF5 "
                        "\xEC\xFF\xE3\xEA\xE8\xF5 \xF4\xF0\xE0\xED\xF6\xF3\xE7\xF1\xEA\xE8\xF5"),
        u"Съешь же ещё этих мягких французских");
  }
  CodePageGuard cp(1252);
  EXPECT_EQ(DecodeFileBytes("{\"na\xEFve\": \"Stra\xDF\xE9 \xC0 la fa\xE7on, \xA9 \xC9t\xE9\"}"),
            u"{\"naïve\": \"Straßé À la façon, © Été\"}");
}

TEST(TextDecoding, PureAsciiIncludingControlsAndNulDecodesUnchanged) {
  std::string bytes;
  std::u16string expected;
  for (int round = 0; round < 3; ++round)
    for (int b = 0; b < 128; ++b) {
      bytes += static_cast<char>(b);
      expected += static_cast<char16_t>(b);
    }
  for (uint32_t codePage : {1252u, 1251u}) {
    CodePageGuard cp(codePage);
    EXPECT_EQ(DecodeFileBytes(bytes), expected);
    EXPECT_EQ(DecodeFileBytes("{\"a\": [1, 2]}"), u"{\"a\": [1, 2]}");
  }
}

TEST(TextDecoding, NonAsciiBytesAreFoundAtEveryOffsetOfTheBulkBlocks) {
  CodePageGuard cp(1252);
  for (std::size_t length = 0; length < 50; ++length)
    for (std::size_t at = 0; at <= length; ++at) {
      std::string utf8(at, 'a');
      utf8 += "\xE2\x82\xAC"; // crosses block boundaries too
      utf8.append(length - at, 'b');
      std::string ansi(at, 'a');
      ansi += '\x80'; // differs from Latin-1, unlike most
      ansi.append(length - at, 'b');
      std::u16string expected(at, u'a');
      expected += u'€';
      expected.append(length - at, u'b');
      EXPECT_EQ(DecodeFileBytes(utf8), expected) << "UTF-8 at " << at << " of " << length;
      EXPECT_EQ(DecodeFileBytes(ansi), expected) << "ANSI at " << at << " of " << length;
    }
}

TEST(TextDecoding, LargeBuffersAreDecodedAndExaminedToTheirLastByte) {
  CodePageGuard cp(1252);
  constexpr std::size_t kSize = std::size_t{32} << 20;
  std::string bytes(kSize, '\0');
  for (std::size_t i = 0; i < kSize; ++i)
    bytes[i] = static_cast<char>(' ' + i % 95);

  const std::u16string ascii = DecodeFileBytes(bytes);
  ASSERT_EQ(ascii.size(), kSize);
  for (std::size_t i = 0; i < kSize; ++i)
    if (ascii[i] != char16_t(' ' + i % 95))
      FAIL() << "wrong character at " << i;

  bytes.back() = '\x80';
  const std::u16string ansiAtEnd = DecodeFileBytes(bytes);
  ASSERT_EQ(ansiAtEnd.size(), kSize);
  EXPECT_EQ(ansiAtEnd.back(), u'€');
  EXPECT_EQ(ansiAtEnd.compare(0, kSize - 1, ascii, 0, kSize - 1), 0);

  bytes[kSize - 2] = '\xC3';
  bytes[kSize - 1] = '\xA9';
  const std::u16string utf8AtEnd = DecodeFileBytes(bytes);
  ASSERT_EQ(utf8AtEnd.size(), kSize - 1);
  EXPECT_EQ(utf8AtEnd.back(), u'é');

  bytes[0] = '\xFF'; // invalid UTF-8 at the start, valid UTF-8 at the end
  const std::u16string ansiAll = DecodeFileBytes(bytes);
  ASSERT_EQ(ansiAll.size(), kSize);
  EXPECT_EQ(ansiAll.front(), u'ÿ');
  EXPECT_EQ(ansiAll.substr(kSize - 2), u"Ã©");
}

TEST(UnicodeConversion, ConversionsRoundTripAndReplaceWhatIsIllFormed) {
  using ujson::Utf16ToUtf8;
  using ujson::Utf8ToUtf16;
  const std::u16string text = u"Grüße, Привет, \U0001F600, €";
  EXPECT_EQ(Utf8ToUtf16(Utf16ToUtf8(text)), text);
  EXPECT_EQ(Utf16ToUtf8(u"\U0001F600"), "\xF0\x9F\x98\x80");
  EXPECT_EQ(Utf16ToUtf8(u"\u07FF\u0800"), "\xDF\xBF\xE0\xA0\x80");
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xD83D)) + u"x"), "\xEF\xBF\xBDx");
  EXPECT_EQ(Utf16ToUtf8(std::u16string(1, char16_t(0xDE00))), "\xEF\xBF\xBD");
  EXPECT_EQ(Utf16ToUtf8(u""), "");
  EXPECT_EQ(Utf8ToUtf16("a\xC3(b"), u"a\uFFFD(b");
  EXPECT_EQ(Utf8ToUtf16("\xF0\x9F\x98"), u"\uFFFD");
  EXPECT_EQ(Utf8ToUtf16(""), u"");
}

} // namespace
