// The load's one pass from file bytes to document text, held against the plain reference
// (ReferenceText.h) and against the library's two steps, decode then normalise.

#include "json/FileText.h"
#include "json/JSONDocument.h"
#include "json/NormalizeText.h"
#include "json/Regional.h"
#include "json/TextDecoding.h"
#include "json/UJSON.h"

#include "CodePageGuard.h"
#include "NodeInvariants.h"
#include "PrintableText.h"
#include "ReferenceText.h"
#include "TempFile.h"
#include "Utf8Pieces.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace std::string_literals;

std::string Hex(std::string_view bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (const char b : bytes) {
    const auto u = static_cast<unsigned char>(b);
    out += digits[u >> 4];
    out += digits[u & 15];
    out += ' ';
  }
  return out;
}

// Random file bytes built from pieces that each rule of the decoding or the normalisation cares
// about, now and then in long runs that cross the pass's internal pieces of text.
class ByteTexts {
public:
  explicit ByteTexts(unsigned seed) : random_(seed) {}

  std::string Next(std::size_t pieces) {
    std::string body;
    const int mark = Pick(10);
    if (mark == 0)
      return "\xFF\xFE"s + Utf16Body(pieces, false);
    if (mark == 1)
      return "\xFE\xFF"s + Utf16Body(pieces, true);
    for (std::size_t k = 0; k < pieces; ++k)
      body += Piece();
    return (mark == 2 ? "\xEF\xBB\xBF"s : ""s) + body;
  }

private:
  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }

  std::string Run(char c, int most) {
    return std::string(static_cast<std::size_t>(1 + Pick(most)), c);
  }

  std::string Piece() {
    static const std::vector<std::string> fixed = {
        "{", "}", "[", "]", ",", ":", "\"", "\"", "\\", "\\\"", "\\\\", "\\\\u0041", "u", "U",
        "\\u0041", "\\U00e9", "\\u005C", "\\u005c", "\\u0022", "\\u0009", "\\u0020", "\\u00",
        "\\u004", "\\uD83D\\uDE00", "\\uXYZW", "\\u\0\0\0"s, "\\u4\0"s, "0", "4", "A", "f", "g",
        " ", "  ", "\t", "\n", "\r", "\r\n", "\0"s, "\x01", "true", "-12.5e3",
        "\"k\": ", "\xC3\xA9", "\xD0\x96", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "\xEF\xBB\xBF",
        // Ill-formed: lone continuation, bytes never used, overlongs, a surrogate, past U+10FFFF,
        // truncated sequences, and single bytes of a code page.
        "\x80", "\xBF", "\xFF", "\xC0\xAF", "\xC1\xBF", "\xE0\x80\x80", "\xE0\x9F\xBF",
        "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xF8\x88\x80\x80\x80", "\xE2\x82", "\xF0\x9F\x98",
        "\xE9", "\xC6", "\x96"};
    switch (Pick(12)) {
    case 0:
      return Run(' ', Pick(20) == 0 ? 20000 : 40);
    case 1:
      return Run('\\', Pick(10) == 0 ? 9000 : 12);
    case 2: {
      std::string layout;
      for (int k = Pick(Pick(20) == 0 ? 12000 : 20); k >= 0; --k)
        layout += " \t\n\r"[Pick(4)];
      return layout;
    }
    case 3: // plain ASCII for the wide path, inside or outside a string
      return std::string(static_cast<std::size_t>(1 + Pick(Pick(10) == 0 ? 20000 : 70)),
                         "abcxyz019.-_"[Pick(12)]);
    case 4: {
      std::string letters;
      for (int k = Pick(Pick(20) == 0 ? 6000 : 30); k >= 0; --k)
        letters += Pick(2) == 0 ? "\xC3\xA9" : "\xF0\x9F\x98\x80";
      return letters;
    }
    default:
      return fixed[static_cast<std::size_t>(Pick(static_cast<int>(fixed.size())))];
    }
  }

  std::string Utf16Body(std::size_t pieces, bool bigEndian) {
    static const std::u16string units =
        u"{}[],:\"\\uU0041Dd \t\n\r\0\xE9\x416\xD83D\xDE00\xDC00\xFEFF"s;
    std::string bytes;
    auto put = [&](char16_t unit) {
      const char high = static_cast<char>(unit >> 8);
      const char low = static_cast<char>(unit & 0xFF);
      bytes += bigEndian ? high : low;
      bytes += bigEndian ? low : high;
    };
    for (std::size_t k = 0; k < pieces * 2; ++k) {
      if (Pick(30) == 0) {
        for (int n = Pick(12000); n >= 0; --n)
          put(Pick(3) == 0 ? u'\\' : u' ');
      } else {
        put(units[static_cast<std::size_t>(Pick(static_cast<int>(units.size())))]);
      }
    }
    if (Pick(4) == 0)
      bytes += 'x'; // an odd last byte
    return bytes;
  }

  std::mt19937 random_;
};

// Compares the pass with the reference and the two steps; false (after a failure) when not equal.
bool SameText(std::string_view bytes) {
  const std::u16string expected = reference_text::FileText(bytes);
  std::u16string twoSteps = ujson::DecodeFileBytes(bytes);
  ujson::NormalizeText(twoSteps);
  const std::u16string actual = ujson::NormalizedFileText(bytes);
  if (actual == expected && twoSteps == expected)
    return true;
  ADD_FAILURE() << "bytes     " << (bytes.size() < 400 ? Hex(bytes) : std::to_string(bytes.size()))
                << "\nexpected  " << Printable(expected).substr(0, 400) << "\ntwo steps "
                << Printable(twoSteps).substr(0, 400) << "\none pass  "
                << Printable(actual).substr(0, 400);
  return false;
}

void ExpectSameTexts(unsigned seed, int cases, std::size_t pieces) {
  ByteTexts texts(seed);
  int failures = 0;
  for (int n = 0; n < cases && failures < 5; ++n) {
    if (!SameText(texts.Next(1 + static_cast<std::size_t>(n) % pieces)))
      ++failures;
  }
}

TEST(FileTextDifferential, GivesTheReferenceTextForShortRandomBytes) {
  CodePageGuard cp(1252);
  ExpectSameTexts(1u, 40000, 12);
}

TEST(FileTextDifferential, GivesTheReferenceTextForLongRandomBytesInEitherCodePage) {
  {
    CodePageGuard cp(1252);
    ExpectSameTexts(2u, 600, 400);
  }
  CodePageGuard cp(1251);
  ExpectSameTexts(3u, 600, 400);
}

// The pass hands its decoded text on in pieces of a few thousand characters; whatever stands
// where one piece ends and the next begins must come out as if read whole. Characters outside
// ASCII keep every character on the piece path, so the ends fall at fixed places.
TEST(FileTextDifferential, GivesTheReferenceTextWhereverAPieceOfTheTextEnds) {
  const std::vector<std::string> across = {
      "  \t ",     " \r\n",   "\\\\\\u0041", "\\\\\\\\",         "\\u005C",  "\\u00",
      "\\u0022\"", "\" \t\"", "\\\"",        "\xF0\x9F\x98\x80", "\xE2\x82", "  "};
  int failures = 0;
  for (const std::size_t piece : {std::size_t{1} << 13, std::size_t{1} << 14}) {
    for (std::size_t at = piece - 10; at <= piece + 10 && failures < 5; ++at) {
      for (const std::string& middle : across) {
        for (const std::string_view open : {"", "\""}) {
          // The mark, an optional quote, then letters of two bytes each up to the piece's end.
          std::string bytes = "\xEF\xBB\xBF"s + std::string(open);
          while (bytes.size() - 3 - open.size() < 2 * (at - open.size()))
            bytes += "\xC3\xA9";
          const std::string ends[] = {"", " ", "\n", "\xC3\xA9\xC3\xA9]"};
          for (const std::string& end : ends) {
            std::string text = bytes;
            text += middle;
            text += end;
            failures += SameText(text) ? 0 : 1;
          }
        }
      }
    }
  }
}

// Whether a file's text, read in chunks of this size, is the reference text of its bytes;
// false after a failure that shows both.
bool ReadAsReference(const std::string& bytes, std::size_t chunk, const std::u16string& actual) {
  const std::u16string expected = reference_text::FileText(bytes);
  if (actual == expected)
    return true;
  ADD_FAILURE() << "chunk " << chunk << ", bytes "
                << (bytes.size() < 400 ? Hex(bytes) : std::to_string(bytes.size())) << "\nexpected "
                << Printable(expected).substr(0, 400) << "\nread     "
                << Printable(actual).substr(0, 400);
  return false;
}

// A file is read a chunk at a time into one small buffer; whatever stands where a chunk ends
// (half a sequence, an escape, a run of backslashes or of layout) must come out as if the bytes
// were read whole, whichever encoding the mark or the tally chooses.
TEST(FileTextDifferential, ReadsFilesInSmallChunksIntoTheReferenceText) {
  CodePageGuard cp(1252);
  ByteTexts texts(5u);
  std::mt19937 random(6u);
  int failures = 0;
  for (int n = 0; n < 1500 && failures < 5; ++n) {
    const std::string bytes = texts.Next(1 + static_cast<std::size_t>(n) % 40);
    const TempFile file(".json", bytes);
    const std::size_t chunk = std::uniform_int_distribution<std::size_t>(64, 200)(random);
    if (!ReadAsReference(bytes, chunk, ujson::ReadNormalizedFileText(file.Name(), chunk)))
      ++failures;
  }
}

// A file of several megabytes has its text's pages touched on another thread ahead of the
// writing, which must leave every character as the writing made it.
TEST(FileTextDifferential, ReadsABigFileWhoseTextIsTouchedAheadIntoTheReferenceText) {
  ByteTexts texts(9u);
  // UTF-8 texts one after another, behind a mark that settles the encoding.
  std::string bytes = "\xEF\xBB\xBF";
  while (bytes.size() < (std::size_t{5} << 20)) {
    const std::string next = texts.Next(1000);
    const ujson::ByteOrderMark mark = ujson::DetectByteOrderMark(next);
    if (mark == ujson::ByteOrderMark::None || mark == ujson::ByteOrderMark::Utf8)
      bytes += next;
  }
  const TempFile file(".json", bytes);
  const std::u16string expected = reference_text::FileText(bytes);
  for (const std::size_t chunk : {std::size_t{4096}, ujson::FileTextChunkBytes}) {
    const std::u16string actual = ujson::ReadNormalizedFileText(file.Name(), chunk);
    ASSERT_EQ(actual.size(), expected.size());
    const auto differ = std::mismatch(actual.begin(), actual.end(), expected.begin());
    EXPECT_TRUE(differ.first == actual.end())
        << "first difference at " << (differ.first - actual.begin()) << " in chunks of " << chunk;
  }
}

// The load with an inspector reads the file on a thread of its own and makes the text from the
// bytes already in; a UTF-8 file comes back with its bytes, any other decoded and unnormalised.
TEST(FileTextDifferential, ReadsFilesAheadOnAThreadIntoTheReferenceTextWithTheirBytes) {
  CodePageGuard cp(1252);
  ByteTexts texts(7u);
  std::mt19937 random(8u);
  int failures = 0;
  for (int n = 0; n < 1500 && failures < 5; ++n) {
    const std::string bytes = texts.Next(1 + static_cast<std::size_t>(n) % 40);
    const TempFile file(".json", bytes);
    const std::size_t chunk = std::uniform_int_distribution<std::size_t>(1, 200)(random);
    ujson::FileTextWithBytes read = ujson::ReadFileTextWithBytes(file.Name(), chunk, 0);
    const ujson::ByteOrderMark mark = ujson::DetectByteOrderMark(bytes);
    if (read.normalized) {
      EXPECT_NE(mark, ujson::ByteOrderMark::Utf16LittleEndian);
      EXPECT_NE(mark, ujson::ByteOrderMark::Utf16BigEndian);
      EXPECT_EQ(read.body, std::string_view(bytes).substr(ujson::MarkLength(mark)));
    } else {
      EXPECT_TRUE(read.body.empty());
      EXPECT_EQ(read.text, ujson::DecodeFileBytes(bytes));
      ujson::NormalizeText(read.text);
    }
    if (!ReadAsReference(bytes, chunk, read.text))
      ++failures;
  }
}

// The UTF-8 pass given the bytes in pieces, and in one call with no room to spare, against the
// reference decoding and normalisation; false (after a failure) when not equal.
template <class NextLength> bool SameFromPieces(std::string_view bytes, NextLength nextLength) {
  const reference_text::Utf8Decoded decoded = reference_text::DecodeUtf8(bytes);
  const std::u16string expected = reference_text::Normalize(decoded.text);
  for (const utf8_pieces::Result& result :
       {utf8_pieces::Normalize(bytes, nextLength), utf8_pieces::NormalizeWhole(bytes)}) {
    if (result.Fault.empty() && result.Text == expected &&
        result.Tally.WellFormed == decoded.wellFormed &&
        result.Tally.IllFormed == decoded.illFormed)
      continue;
    ADD_FAILURE() << "bytes     "
                  << (bytes.size() < 400 ? Hex(bytes) : std::to_string(bytes.size()))
                  << "\nfault     " << result.Fault << "\nexpected  "
                  << Printable(expected).substr(0, 400) << "\nin pieces "
                  << Printable(result.Text).substr(0, 400) << "\ntally     "
                  << result.Tally.WellFormed << "/" << result.Tally.IllFormed << " against "
                  << decoded.wellFormed << "/" << decoded.illFormed;
    return false;
  }
  return true;
}

TEST(FileTextDifferential, GivesTheReferenceTextFromUtf8BytesInRandomPieces) {
  ByteTexts texts(5u);
  std::mt19937 random(6u);
  auto pieceLength = [&] { return std::size_t{1} + random() % 40; };
  int failures = 0;
  for (int n = 0; n < 3000 && failures < 5; ++n) {
    if (!SameFromPieces(texts.Next(1 + static_cast<std::size_t>(n) % 80), pieceLength))
      ++failures;
  }
}

// Whatever spans several bytes (escapes, runs of backslashes and of layout, multi-byte
// sequences, strings), at every place of the pass's chunks of 64 bytes and with the bytes split
// in two at every place in and around it.
TEST(FileTextDifferential, GivesTheReferenceTextWhereverAChunkOrAPieceOfTheBytesEnds) {
  const std::vector<std::string> across = {"  \t ",
                                           " \r\n",
                                           "\r\n      ",
                                           "\\\\\\u0041",
                                           "\\\\\\\\",
                                           "\\u005C",
                                           "\\u00",
                                           "\\u0022\"",
                                           "\" \t\"",
                                           "\\\"",
                                           "\xF0\x9F\x98\x80",
                                           "\xE2\x82",
                                           "\xE2\x82\xAC\xD0\x96",
                                           "\\u0\0x\xF0\x9F\x98\x80"s,
                                           "\\u4\0\xC3\xA9\xE2\x82"s,
                                           "\\u41\0\xF0\x9F\x98\x80"s,
                                           "\\uD83D\\uDE00",
                                           " \"a b\" : "};
  int failures = 0;
  for (std::size_t before = 0; before <= 90 && failures < 5; ++before) {
    for (const std::string_view fill : {"x", " ", "\r\n  "}) {
      for (const std::string_view open : {"", "\""}) {
        std::string start(open);
        while (start.size() < open.size() + before)
          start += fill[start.size() % fill.size()];
        for (const std::string& middle : across) {
          for (const std::string_view end : {"", " ", "\n", "x]"}) {
            const std::string bytes = start + middle + std::string(end);
            const std::size_t from = std::max<std::size_t>(start.size(), 14) - 13;
            const std::size_t to = std::min(bytes.size(), start.size() + middle.size() + 2);
            for (std::size_t split = from; split < to && failures < 5; ++split) {
              bool first = true;
              auto pieceLength = [&] {
                const std::size_t length = first ? split : bytes.size();
                first = false;
                return length;
              };
              failures += SameFromPieces(bytes, pieceLength) ? 0 : 1;
            }
          }
        }
      }
    }
  }
}

// The document from a file holds the reference text, and every node the ranges that the same
// text gives when loaded as a string.
TEST(FileTextDifferential, LoadsFilesIntoTheReferenceTextAndTheSameRanges) {
  CodePageGuard cp(1252);
  ByteTexts texts(4u);
  int failures = 0;
  for (int n = 0; n < 300 && failures < 3; ++n) {
    const std::string bytes = texts.Next(1 + static_cast<std::size_t>(n) % 150);
    const TempFile file(".json", bytes);
    std::u16string reference = reference_text::Decode(bytes);
    JSONRef fromFile;
    JSONRef fromText;
    std::string fileFailure;
    std::string textFailure;
    try {
      fromFile = JSONFromFile(file.Name());
    } catch (const std::exception& e) {
      fileFailure = e.what();
    }
    try {
      fromText = JSONFromString(reference);
    } catch (const std::exception& e) {
      textFailure = e.what();
    }
    ASSERT_EQ(fileFailure, textFailure);
    if (!fromFile)
      continue;
    ASSERT_EQ(node_invariants::TextOf(fromFile), reference_text::FileText(bytes));
    // The snapshots point at the nodes: they are held while compared.
    const std::vector<JSONRef> fileNodes = node_invariants::TreeNodes(fromFile);
    const std::vector<JSONRef> textNodes = node_invariants::TreeNodes(fromText);
    const auto fileTree = node_invariants::TakeSnapshot(fileNodes);
    const auto textTree = node_invariants::TakeSnapshot(textNodes);
    ASSERT_EQ(fileTree.size(), textTree.size());
    for (std::size_t k = 0; k < fileTree.size(); ++k) {
      for (int part = 0; part < 3; ++part) {
        const TStringElement a = fileTree[k].Ranges[part];
        const TStringElement b = textTree[k].Ranges[part];
        if (a.Start != b.Start || a.Finish != b.Finish) {
          ++failures;
          ADD_FAILURE() << "node " << k << " range " << part << ": " << a.Start << ".." << a.Finish
                        << " against " << b.Start << ".." << b.Finish;
          break;
        }
      }
      EXPECT_EQ(fileTree[k].Node->GetJType(), textTree[k].Node->GetJType());
      EXPECT_EQ(fileTree[k].Node->GetLevel(), textTree[k].Node->GetLevel());
    }
  }
}

} // namespace
