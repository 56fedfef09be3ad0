// The decoded text of a file, shown to an inspector before the library normalises it.

#include "json/UJSON.h"

#include "TempFile.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

TEST(TextInspectorTest, SeesTheDecodedTextBeforeNormalisationOnceAndLoadsTheSameDocument) {
  // A UTF-8 mark, CR LF, a TAB, a run of spaces, an escape and a character of two bytes.
  const TempFile file(".json", "\xEF\xBB\xBF{\r\n\t\"a\":  \"\\u0041\xC3\xA9\"\r\n}");
  std::u16string seen;
  int calls = 0;
  const JSONRef document = JSONFromFile(file.Name(), [&](std::u16string_view Text) {
    seen = Text;
    ++calls;
  });
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(seen, u"{\r\n\t\"a\":  \"\\u0041\u00E9\"\r\n}");
  const JSONRef plain = JSONFromFile(file.Name());
  EXPECT_EQ(DocumentTextOf(*document), DocumentTextOf(*plain));
  ASSERT_EQ(document->GetCount(), 1);
  EXPECT_EQ(document->GetChild(0)->GetAsString(), u"A\u00E9");
}

TEST(TextInspectorTest, AnInspectorThatThrowsEndsTheLoadAndLeavesNoNodes) {
  const TempFile file(".json", "[1, [2, 3]]");
  const int64_t before = JSONInstanceCount;
  EXPECT_THROW(
      JSONFromFile(file.Name(), [](std::u16string_view) { throw std::runtime_error("refused"); }),
      std::runtime_error);
  EXPECT_EQ(JSONInstanceCount, before);
  // An empty inspector is no inspector.
  EXPECT_EQ(JSONFromFile(file.Name(), TextInspector())->GetCount(), 2);
}

} // namespace
