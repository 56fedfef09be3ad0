// Edits at the start, in the middle and at the end of big documents: every other node keeps its
// ranges true (shifted where it lies behind the edit), the new structure is linked where the
// edit put it, and lookups by index and position see it.

#include "NodeAccess.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr int kElements = 20000;

std::u16string BigArray() {
  std::u16string text = u"[";
  for (int i = 0; i < kElements; ++i) {
    if (i > 0)
      text += u", ";
    text += u"{\"n\": " + std::u16string(1, static_cast<char16_t>(u'0' + i % 10)) + u"}";
  }
  return text + u"]";
}

// Every element still reads as it was loaded, except the one at skip.
void ExpectElementsIntact(const JSONRef& doc, int skip) {
  for (int i = 0; i < kElements; ++i) {
    if (i == skip)
      continue;
    const JSONRef element = doc->GetChild(i);
    ASSERT_EQ(element->GetCount(), 1) << i;
    ASSERT_EQ(element->GetChild(0)->GetName(), u"n") << i;
    ASSERT_EQ(element->GetChild(0)->GetAsInt(), i % 10) << i;
    ASSERT_EQ(doc->FindByPosition(element->GetTextStart() + 2), element->GetChild(0)) << i;
  }
}

TEST(BigDocumentEdit, ReplacingAValueAtTheStartMiddleAndEndKeepsEveryOtherNode) {
  for (const int at : {0, kElements / 2, kElements - 1}) {
    const JSONRef doc = JSONFromString(BigArray());
    const JSONRef held = doc->GetChild(at);
    const JSONRef after = doc->GetChild(at == kElements - 1 ? 0 : kElements - 1);
    const std::u16string afterText = after->GetText();
    held->SetValue(u"[true, {\"deep\": [1, 2, 3]}]");
    EXPECT_EQ(held->GetJType(), jt_array);
    ASSERT_EQ(held->GetCount(), 2);
    EXPECT_EQ(held->GetChild(1)->GetChildByName(u"deep")->GetCount(), 3);
    EXPECT_EQ(doc->GetChild(at), held);
    EXPECT_EQ(after->GetText(), afterText);
    EXPECT_EQ(doc->GetCount(), kElements);
    ExpectElementsIntact(doc, at);
    const JSONRef three = held->GetChild(1)->GetChild(0)->GetChild(2);
    EXPECT_EQ(doc->FindByPosition(three->GetTextStart()), three);
  }
}

TEST(BigDocumentEdit, AppendingAtTheEndAndRenamingAtTheStartShiftWhatFollows) {
  const JSONRef doc = JSONFromString(BigArray());
  const JSONRef last = doc->GetChild(kElements - 1);
  const JSONRef added = doc->AddChild(u"", u"{\"n\": 42}");
  ASSERT_TRUE(added);
  EXPECT_EQ(doc->GetCount(), kElements + 1);
  EXPECT_EQ(doc->GetChild(kElements), added);
  EXPECT_EQ(added->GetChild(0)->GetAsInt(), 42);
  EXPECT_GT(added->GetTextStart(), last->GetTextFinish());
  doc->GetChild(0)->GetChild(0)->SetName(u"a longer name");
  EXPECT_EQ(doc->GetChild(0)->GetChild(0)->GetName(), u"a longer name");
  EXPECT_EQ(added->GetChild(0)->GetAsInt(), 42);
  EXPECT_EQ(last->GetChild(0)->GetAsInt(), (kElements - 1) % 10);
  ExpectElementsIntact(doc, 0);
  EXPECT_EQ(doc->FindByPosition(added->GetTextStart()), added);
}

TEST(BigDocumentEdit, AValueReplacedTwiceKeepsOnlyItsNewestChildren) {
  const JSONRef doc = JSONFromString(BigArray());
  const JSONRef middle = doc->GetChild(kElements / 2);
  middle->SetValue(u"[1, 2]");
  middle->SetValue(u"[3]");
  ASSERT_EQ(middle->GetCount(), 1);
  EXPECT_EQ(middle->GetChild(0)->GetValue(), u"3");
  ASSERT_TRUE(middle->AddChild(u"", u"4"));
  EXPECT_EQ(middle->GetText(), u"[3,4]");
  ExpectElementsIntact(doc, kElements / 2);
}

} // namespace
