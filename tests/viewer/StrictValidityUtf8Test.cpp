// The strict check read straight from UTF-8 bytes must find what the check of their decoded text
// finds: the same reason, offset, line, column and path, for every text.

#include "viewer/StrictValidity.h"

#include "json/FileReading.h"
#include "json/UnicodeConversion.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

std::u16string Decoded(const std::string& bytes) {
  std::u16string text(bytes.size(), u'\0');
  text.resize(*ujson::DecodeUtf8(bytes, text.data(), ujson::Utf8Errors::Replace));
  return text;
}

std::string Describe(const std::optional<StrictDeparture>& departure) {
  if (!departure)
    return "valid";
  std::string path;
  for (const uint32_t child : departure->Path)
    path += " " + std::to_string(child);
  return ujson::Utf16ToUtf8(DepartureText(*departure)) + " at " +
         std::to_string(departure->Offset) + ", path" + path;
}

// False (after a failure) when the two checks differ on the bytes.
bool SameFinding(const std::string& bytes) {
  const auto fromText = CheckStrictJson(Decoded(bytes));
  const auto fromBytes = CheckStrictJsonUtf8(bytes);
  const bool same =
      fromText.has_value() == fromBytes.has_value() &&
      (!fromText || (fromText->Fault == fromBytes->Fault && fromText->Offset == fromBytes->Offset &&
                     fromText->Line == fromBytes->Line && fromText->Column == fromBytes->Column &&
                     fromText->Path == fromBytes->Path));
  if (!same)
    ADD_FAILURE() << "bytes: " << (bytes.size() < 300 ? bytes : std::to_string(bytes.size()))
                  << "\ntext:  " << Describe(fromText) << "\nbytes: " << Describe(fromBytes);
  return same;
}

std::string RandomText(std::mt19937& random, int pieces) {
  static const std::vector<std::string> tokens = {"{",
                                                  "}",
                                                  "[",
                                                  "]",
                                                  ",",
                                                  ":",
                                                  "\"",
                                                  "\"",
                                                  "\"k\":",
                                                  "\"v\"",
                                                  "0",
                                                  "-1.5e3",
                                                  "01",
                                                  "1.",
                                                  "true",
                                                  "fals",
                                                  "null",
                                                  " ",
                                                  "\t",
                                                  "\r\n",
                                                  "\r",
                                                  "\n",
                                                  "  \n    ",
                                                  "\\",
                                                  "\\n",
                                                  "\\u00e9",
                                                  "\\uD83D\\uDE00",
                                                  "\\uD83D",
                                                  "\\uDE00",
                                                  "\\x",
                                                  "\x01",
                                                  "\x1F",
                                                  "\0"s,
                                                  "\xC3\xA9",
                                                  "\xE2\x82\xAC",
                                                  "\xF0\x9F\x98\x80",
                                                  "\xEF\xBB\xBF",
                                                  "\x80",
                                                  "\xFF",
                                                  "\xC0\xAF",
                                                  "\xE2\x82",
                                                  "\xED\xA0\x80",
                                                  "\xF4\x90\x80\x80",
                                                  "abcdefghijklmnopqrstu",
                                                  "\xC3\xA9\xC3\xA9\xC3\xA9\xC3"};
  std::string text = std::uniform_int_distribution<int>(0, 9)(random) == 0 ? "\xEF\xBB\xBF" : "";
  for (int k = 0; k < pieces; ++k)
    text += tokens[std::uniform_int_distribution<std::size_t>(0, tokens.size() - 1)(random)];
  return text;
}

TEST(StrictValidityUtf8Test, FindsWhatTheDecodedTextCheckFindsForRandomTexts) {
  std::mt19937 random(7u);
  int failures = 0;
  for (int n = 0; n < 60000 && failures < 5; ++n)
    failures += SameFinding(RandomText(random, 1 + n % 30)) ? 0 : 1;
}

// Valid documents fail only late, so the random texts above rarely test deep into a string:
// here the special character stands at every place around the sixteen-byte blocks.
TEST(StrictValidityUtf8Test, FindsTheSameAtEveryPlaceInAString) {
  const std::vector<std::string> specials = {
      "\"", "\\n", "\\q", "\x01", "\xC3\xA9", "\xFF", "\xF0\x9F\x98\x80", ""};
  int failures = 0;
  for (std::size_t before = 0; before < 40 && failures < 5; ++before) {
    for (const std::string& special : specials) {
      for (const std::string& open : {"\""s, "[\n  \""s, "\xEF\xBB\xBF\""s}) {
        std::string text = open;
        text.append(before, 'a');
        text += special;
        text += "bcd";
        failures += SameFinding(text) ? 0 : 1;
        failures += SameFinding(text + "\"") ? 0 : 1;
        failures += SameFinding(text + "\"]") ? 0 : 1;
      }
    }
  }
}

TEST(StrictValidityUtf8Test, FindsTheSameForEveryTestSuiteFile) {
  const fs::path folder = fs::path(TRESKAL_SHARED_DATA_DIR) / "JSONTestSuite" / "test_parsing";
  if (!fs::is_directory(folder))
    GTEST_SKIP() << "no JSONTestSuite in " << folder;
  int checked = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string bytes(ujson::ReadFileBytes(ujson::Utf8ToUtf16(entry.path().string())).View());
    EXPECT_TRUE(SameFinding(bytes)) << entry.path().filename();
    ++checked;
  }
  EXPECT_GT(checked, 300);
}

} // namespace
