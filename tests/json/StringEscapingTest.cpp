#include "json/StringEscaping.h"
#include "json/JSONDocument.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using ujson::EscapeJSON;

TEST(EscapeJSON, AStringsContentEscapesQuotesBackslashesAndShortControls) {
  const ujson::EscapeRules content{.QuoteAndBackslash = true, .OtherControlsAsUnicode = false};
  EXPECT_EQ(EscapeJSON(u"", content), u"");
  EXPECT_EQ(EscapeJSON(u"plain é", content), u"plain é");
  EXPECT_EQ(EscapeJSON(u"a\"b\\c", content), u"a\\\"b\\\\c");
  EXPECT_EQ(EscapeJSON(u"\b\f\n\r\t", content), u"\\b\\f\\n\\r\\t");
  // No reading decodes \u, so other controls stay as they are.
  EXPECT_EQ(EscapeJSON(std::u16string(u"\x01x\x1f"), content), std::u16string(u"\x01x\x1f"));
}

TEST(EscapeJSON, ALabelShowsEveryControlAndLeavesQuotesAlone) {
  const ujson::EscapeRules label{.QuoteAndBackslash = false, .OtherControlsAsUnicode = true};
  EXPECT_EQ(EscapeJSON(u"\"a\\b\"", label), u"\"a\\b\"");
  EXPECT_EQ(EscapeJSON(u"x\ny\t", label), u"x\\ny\\t");
  EXPECT_EQ(EscapeJSON(std::u16string(u"\x00\x01\x1f", 3), label), u"\\u0000\\u0001\\u001F");
  EXPECT_EQ(EscapeJSON(u"\x7f", label), u"\x7f");
}

TEST(EscapeJSON, AsStringReadsTheEscapedContentBack) {
  const std::u16string value = u"q\"b\\s/ \b\f\n\r\t end\\";
  JSONRef doc = JSONFromString(u"{\"k\": \"v\"}");
  JSONRef member = doc->GetChild(0);
  member->SetAsString(value);
  EXPECT_EQ(member->GetAsString(), value);
  EXPECT_EQ(member->GetValue(), EscapeJSON(value, {}));
}

} // namespace
