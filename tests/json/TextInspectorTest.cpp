// The file as decoded, shown to an inspector before the library normalises it: a UTF-8 file as
// its bytes after the mark, any other as its decoded text.

#include "json/UJSON.h"
#include "json/UnicodeConversion.h"

#include "CodePageGuard.h"
#include "TempFile.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

using namespace std::string_literals;

// What an inspector saw of a file, once, and the document the load gave.
struct Seen {
  int calls = 0;
  bool isUtf8 = false;
  std::string bytes;
  std::u16string text;
  JSONRef document;
};

Seen LoadInspected(const TempFile& file) {
  Seen seen;
  seen.document = JSONFromFile(file.Name(), [&seen](const InspectedFile& File) {
    ++seen.calls;
    seen.isUtf8 = File.IsUtf8;
    seen.bytes = File.Utf8;
    seen.text = File.Text;
  });
  return seen;
}

// Loads a UTF-8 file of this body behind the mark: the inspector sees its bytes after the mark,
// once, and the document is the one a load without it makes.
Seen LoadInspectedUtf8(const std::string& mark, const std::string& body) {
  const TempFile file(".json", mark + body);
  Seen seen = LoadInspected(file);
  EXPECT_EQ(seen.calls, 1);
  EXPECT_TRUE(seen.isUtf8);
  EXPECT_EQ(seen.bytes, body);
  EXPECT_EQ(DocumentTextOf(*seen.document), DocumentTextOf(*JSONFromFile(file.Name())));
  return seen;
}

TEST(TextInspectorTest, SeesTheBytesOfAUtf8FileBeforeNormalisationOnceAndLoadsTheSameDocument) {
  // A UTF-8 mark, CR LF, a TAB, a run of spaces, an escape and a character of two bytes.
  const std::string body = "{\r\n\t\"a\":  \"\\u0041\xC3\xA9\"\r\n}";
  for (const std::string& mark : {""s, "\xEF\xBB\xBF"s}) {
    const Seen seen = LoadInspectedUtf8(mark, body);
    EXPECT_EQ(ujson::Utf8ToUtf16(seen.bytes), u"{\r\n\t\"a\":  \"\\u0041\u00E9\"\r\n}");
    ASSERT_EQ(seen.document->GetCount(), 1);
    EXPECT_EQ(seen.document->GetChild(0)->GetAsString(), u"A\u00E9");
  }
}

TEST(TextInspectorTest, SeesTheDecodedTextOfUtf16AndAnsiFiles) {
  CodePageGuard cp(1252);
  // "é" in the code page, mostly ASCII around it: not UTF-8.
  const TempFile ansi(".json", "{\"a\": \"\xE9\"}\r\n");
  const TempFile utf16(".json", "\xFF\xFE{\0\"\0a\0\"\0:\0 \0\xE9\0\"\0\r\0\n\0}\0"s);
  const Seen fromAnsi = LoadInspected(ansi);
  EXPECT_EQ(fromAnsi.calls, 1);
  EXPECT_FALSE(fromAnsi.isUtf8);
  EXPECT_EQ(fromAnsi.text, u"{\"a\": \"\u00E9\"}\r\n");
  EXPECT_EQ(fromAnsi.document->GetChild(0)->GetAsString(), u"\u00E9");
  const Seen fromUtf16 = LoadInspected(utf16);
  EXPECT_FALSE(fromUtf16.isUtf8);
  EXPECT_EQ(fromUtf16.text, u"{\"a\": \u00E9\"\r\n}");
  EXPECT_EQ(DocumentTextOf(*fromUtf16.document), DocumentTextOf(*JSONFromFile(utf16.Name())));
}

TEST(TextInspectorTest, AnInspectorThatThrowsEndsTheLoadAndLeavesNoNodes) {
  const TempFile file(".json", "[1, [2, 3]]");
  const int64_t before = JSONInstanceCount;
  EXPECT_THROW(
      JSONFromFile(file.Name(), [](const InspectedFile&) { throw std::runtime_error("refused"); }),
      std::runtime_error);
  EXPECT_EQ(JSONInstanceCount, before);
  // An empty inspector is no inspector.
  EXPECT_EQ(JSONFromFile(file.Name(), TextInspector())->GetCount(), 2);
}

// A file of a few megabytes: read on a thread of its own, inspected beside the parse.
std::string BigBody() {
  std::string body = "[";
  for (int i = 0; i < 120000; ++i)
    body += (i == 0 ? "" : ",\r\n  ") + ("\"Gr\xC3\xB6\xC3\x9F"
                                         "e " +
                                         std::to_string(i) + "\"");
  return body + "]";
}

TEST(TextInspectorTest, SeesABigUtf8FileWholeWhileItIsParsedAndLoadsTheSameDocument) {
  const std::string body = BigBody();
  ASSERT_GT(body.size(), std::size_t{1} << 21);
  for (const std::string& mark : {""s, "\xEF\xBB\xBF"s}) {
    const Seen seen = LoadInspectedUtf8(mark, body);
    ASSERT_EQ(seen.document->GetCount(), 120000);
    EXPECT_EQ(seen.document->GetChild(119999)->GetAsString(), u"Gr\u00F6\u00DFe 119999");
  }
}

TEST(TextInspectorTest, SeesTheDecodedTextOfABigAnsiFile) {
  CodePageGuard cp(1252);
  std::string body = "[";
  for (int i = 0; i < 120000; ++i)
    body += (i == 0 ? "" : ", ") + ("\"Gr\xF6\xDF"
                                    "e " +
                                    std::to_string(i) + "\"");
  body += "]";
  const TempFile file(".json", body);
  const Seen seen = LoadInspected(file);
  EXPECT_EQ(seen.calls, 1);
  EXPECT_FALSE(seen.isUtf8);
  EXPECT_EQ(seen.text.substr(0, 10), u"[\"Gr\u00F6\u00DFe 0\"");
  ASSERT_EQ(seen.document->GetCount(), 120000);
  EXPECT_EQ(seen.document->GetChild(7)->GetAsString(), u"Gr\u00F6\u00DFe 7");
}

TEST(TextInspectorTest, AnInspectorOfABigFileThatThrowsEndsTheLoadAndLeavesNoNodes) {
  const TempFile file(".json", BigBody());
  const int64_t before = JSONInstanceCount;
  EXPECT_THROW(
      JSONFromFile(file.Name(), [](const InspectedFile&) { throw std::runtime_error("refused"); }),
      std::runtime_error);
  EXPECT_EQ(JSONInstanceCount, before);
}

} // namespace
