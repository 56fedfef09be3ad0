// The strict check beside the lenient reading: the JSONTestSuite's verdicts, the place and
// reason of a departure held against Python's json module where it means the same place, and
// hostile nesting.

#include "viewer/StrictValidity.h"

#include "json/TextDecoding.h"
#include "json/UJSON.h"

#include "TempFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The text of a file as the viewer's check reads it: decoded, not yet normalised. Kept even when
// the lenient load then fails.
std::u16string DecodedText(const std::u16string& Name) {
  std::u16string text;
  try {
    JSONFromFile(Name, [&text](const InspectedFile& File) {
      text = File.IsUtf8 ? ujson::DecodeFileBytes(File.Utf8) : std::u16string(File.Text);
    });
  } catch (const std::exception&) {
  }
  return text;
}

TEST(StrictValidityTest, AgreesWithTheTestSuiteOnEveryValidAndInvalidCase) {
  const fs::path folder = fs::path(TRESKAL_SHARED_DATA_DIR) / "JSONTestSuite" / "test_parsing";
  if (!fs::is_directory(folder))
    GTEST_SKIP() << "no JSONTestSuite in " << folder;
  int valid = 0, invalid = 0;
  std::vector<fs::path> files{fs::directory_iterator(folder), fs::directory_iterator()};
  std::sort(files.begin(), files.end());
  for (const fs::path& file : files) {
    const std::string name = file.filename().string();
    const std::optional<StrictDeparture> departure =
        CheckStrictJson(DecodedText(ujson::Utf8ToUtf16(file.string())));
    if (name.starts_with("y_")) {
      EXPECT_FALSE(departure) << name << ": " << ujson::Utf16ToUtf8(DepartureText(*departure));
      ++valid;
    } else if (name.starts_with("n_")) {
      EXPECT_TRUE(departure) << name << " passed as valid";
      ++invalid;
    } else if (name.starts_with("i_")) {
      // Either verdict is allowed; what the check says is worth seeing.
      std::cout << name << ": "
                << (departure ? ujson::Utf16ToUtf8(DepartureText(*departure)) : "valid") << "\n";
    }
  }
  EXPECT_EQ(valid, 95);
  EXPECT_EQ(invalid, 188);
}

TEST(StrictValidityTest, TheSharedRealDocumentsAreValid) {
  const fs::path folder = fs::path(TRESKAL_SHARED_DATA_DIR) / "json";
  if (!fs::is_directory(folder))
    GTEST_SKIP() << "no shared documents in " << folder;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const auto departure = CheckStrictJson(DecodedText(ujson::Utf8ToUtf16(entry.path().string())));
    EXPECT_FALSE(departure) << entry.path() << ": "
                            << ujson::Utf16ToUtf8(DepartureText(*departure));
  }
}

struct BrokenFile {
  const char* Label;
  std::string Bytes;
  StrictFault Fault;
  std::size_t Line, Column;
  std::vector<uint32_t> Path;
  // Python's json module reports this very place (its reasons are worded differently).
  bool PythonAgrees;
};

// Hand-made departures: every reason, CR LF and lone CR line ends, TABs, characters of two to
// four UTF-8 bytes and a surrogate pair before the place, a byte-order mark, UTF-16.
std::vector<BrokenFile> BrokenFiles() {
  using F = StrictFault;
  return {
      {"trailing comma in an array", "[1,]", F::TrailingComma, 1, 3, {1}, false},
      {"trailing comma in an object", "{\"a\":1,}", F::TrailingComma, 1, 7, {1}, false},
      {"missing colon", "{\"a\" 1}", F::ExpectedColon, 1, 6, {0}, true},
      {"missing comma in an object", "{\"a\":1 \"b\":2}", F::ExpectedCommaOrBrace, 1, 8, {0}, true},
      {"missing comma in an array", "[1 2]", F::ExpectedCommaOrBracket, 1, 4, {0}, true},
      {"unclosed array", "[1,2", F::ExpectedCommaOrBracket, 1, 5, {1}, true},
      {"unterminated string", "[\"abc", F::UnterminatedString, 1, 2, {0}, true},
      {"unterminated top string", "\"abc", F::UnterminatedString, 1, 1, {}, true},
      {"backslash at the end", "[\"\\", F::UnterminatedString, 1, 2, {0}, true},
      {"invalid escape", "[\"a\\x\"]", F::InvalidEscape, 1, 4, {0}, true},
      {"short unicode escape", "[\"\\u12\"]", F::InvalidEscape, 1, 3, {0}, false},
      {"TAB in a string", "[\"a\tb\"]", F::ControlCharacter, 1, 4, {0}, true},
      {"LF in a name", "{\"a\nb\":1}", F::ControlCharacter, 1, 4, {0}, true},
      {"leading zero", "[01]", F::InvalidNumber, 1, 3, {0}, true},
      {"no fraction digits", "[1.]", F::InvalidNumber, 1, 4, {0}, false},
      {"minus alone", "[-]", F::InvalidNumber, 1, 3, {0}, false},
      {"no exponent digits", "[1e+]", F::InvalidNumber, 1, 5, {0}, false},
      {"bad literal", "[nul]", F::ExpectedValue, 1, 2, {0}, true},
      {"Infinity", "[Infinity]", F::ExpectedValue, 1, 2, {0}, false},
      {"number as a name", "{1:2}", F::ExpectedName, 1, 2, {0}, true},
      {"text after the value", "[1]x", F::TextAfterValue, 1, 4, {}, true},
      {"second closing brace", "{\"a\":1}}", F::TextAfterValue, 1, 8, {}, true},
      {"empty file", "", F::EmptyText, 1, 1, {}, true},
      {"white space only", "  \n ", F::EmptyText, 2, 2, {}, true},
      {"nested path",
       "{\"a\":{\"b\":[true,{\"c\":nul}]}}",
       F::ExpectedValue,
       1,
       22,
       {0, 0, 1, 0},
       true},
      {"CR LF lines", "{\"a\":\r\n  [1,\r\n   2,,]}", F::ExpectedValue, 3, 6, {0, 2}, true},
      {"CR LF, then a missing comma", "[1,\r\n2 3]", F::ExpectedCommaOrBracket, 2, 3, {1}, true},
      {"multi-byte characters, TAB and a surrogate pair before",
       "{\n \"\xC3\xA9\xE2\x82\xAC\": [\n\t\"\xF0\x9F\x98\x80\", x]}",
       F::ExpectedValue,
       3,
       7,
       {0, 1},
       true},
      {"lone CR line ends", "[1,\r2,\r\r  x]", F::ExpectedValue, 4, 3, {2}, false},
      {"UTF-8 mark takes no column", "\xEF\xBB\xBF[1,]", F::TrailingComma, 1, 3, {1}, false},
      {"lone surrogate in a UTF-16 file",
       std::string("\xFF\xFE[\0\"\0\x00\xD8"
                   "a\0\"\0]\0",
                   14),
       F::LoneSurrogate,
       1,
       3,
       {0},
       false},
  };
}

bool HavePython() { return std::system("python3 -c 'import json' >/dev/null 2>&1") == 0; }

TEST(StrictValidityTest, PlacesAndReasonsOfHandMadeDepartures) {
  const std::vector<BrokenFile> files = BrokenFiles();
  std::vector<std::unique_ptr<TempFile>> written;
  std::string command = "python3 '" TRESKAL_SOURCE_DIR "/tests/viewer/strict_position.py'";
  for (const BrokenFile& file : files) {
    written.push_back(std::make_unique<TempFile>(".json", file.Bytes));
    command += " '" + written.back()->Path() + "'";
    const auto departure = CheckStrictJson(DecodedText(written.back()->Name()));
    ASSERT_TRUE(departure) << file.Label;
    EXPECT_EQ(departure->Fault, file.Fault) << file.Label;
    EXPECT_EQ(departure->Line, file.Line) << file.Label;
    EXPECT_EQ(departure->Column, file.Column) << file.Label;
    EXPECT_EQ(departure->Path, file.Path) << file.Label;
  }
  if (!HavePython())
    GTEST_SKIP() << "no python3: the places are not held against Python's json module";
  const TempFile output(".places", "");
  command += " > '" + output.Path() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  std::ifstream places(output.Path());
  for (const BrokenFile& file : files) {
    std::string line;
    ASSERT_TRUE(std::getline(places, line)) << file.Label;
    if (file.PythonAgrees) {
      EXPECT_EQ(line, std::to_string(file.Line) + " " + std::to_string(file.Column)) << file.Label;
    }
  }
}

TEST(StrictValidityTest, TheReasonsReadAsDocumented) {
  StrictDeparture departure;
  departure.Fault = StrictFault::ExpectedCommaOrBrace;
  departure.Line = 12;
  departure.Column = 7;
  EXPECT_EQ(DepartureText(departure), u"invalid JSON at line 12, column 7: expected ',' or '}'");
  departure.Fault = StrictFault::TextAfterValue;
  EXPECT_EQ(StrictFaultText(departure.Fault), u"text after the value");
}

TEST(StrictValidityTest, ValidTextsOfEveryKindPass) {
  for (const char16_t* text :
       {u"0", u"-0.5e+10", u"\"\"", u" [ ] ", u"{}", u"[1]\r\n", u"\uFEFF{\"a\":null}",
        u"{\"\\u00e9\\ud800\\\"\":[true,false,null,\"\U0001F600\",1E-7]}", u"\"\uFFFD\""}) {
    const auto departure = CheckStrictJson(text);
    EXPECT_FALSE(departure) << ujson::Utf16ToUtf8(text) << ": "
                            << ujson::Utf16ToUtf8(DepartureText(*departure));
  }
  // A long string past the eight-at-a-time scan, with a control character at its very end.
  std::u16string long_string = u"[\"" + std::u16string(37, u'x') + u"\"]";
  EXPECT_FALSE(CheckStrictJson(long_string));
  long_string[38] = u'\x01';
  const auto departure = CheckStrictJson(long_string);
  ASSERT_TRUE(departure);
  EXPECT_EQ(departure->Fault, StrictFault::ControlCharacter);
  EXPECT_EQ(departure->Column, 39u);
}

TEST(StrictValidityTest, HostileNestingIsFollowedWithoutRecursion) {
  const std::u16string open(1000000, u'[');
  const auto unclosed = CheckStrictJson(open);
  ASSERT_TRUE(unclosed);
  EXPECT_EQ(unclosed->Fault, StrictFault::ExpectedValue);
  EXPECT_EQ(unclosed->Column, open.size() + 1);
  EXPECT_EQ(unclosed->Path.size(), MaxPathDepth);
  // Deeper than the library reads, yet valid.
  EXPECT_FALSE(CheckStrictJson(open + std::u16string(open.size(), u']')));
  const auto departure = CheckStrictJson(std::u16string(100000, u'[') + u"1,]");
  ASSERT_TRUE(departure);
  EXPECT_EQ(departure->Fault, StrictFault::TrailingComma);
  EXPECT_EQ(departure->Path.size(), 100000u);
  EXPECT_EQ(departure->Path.back(), 1u);
}

} // namespace
