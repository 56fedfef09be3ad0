// Nodes that a caller still holds after their parent or their whole document is gone. Run under
// AddressSanitizer, every operation here must stay inside live memory.

#include "NodeAccess.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

// Every operation of the node interface on a node whose document is gone: reading gives empty
// texts, edits change nothing, lookups find nothing in the tree, and nothing reaches the dead
// document or its dead nodes.
void ExpectEveryOperationIsSafeOnASurvivor(const JSONRef& node, int32_t childCount) {
  EXPECT_EQ(node->GetParent(), nullptr);
  EXPECT_EQ(node->GetText(), u"");
  EXPECT_EQ(node->GetName(), u"");
  EXPECT_EQ(node->GetValue(), u"");
  EXPECT_EQ(node->GetAsString(), u"");
  EXPECT_EQ(node->GetAsInt(), 0);
  EXPECT_EQ(node->GetAsInt64(), 0);
  EXPECT_EQ(node->GetAsDouble(), 0.0);
  EXPECT_FALSE(node->GetAsBoolean());
  EXPECT_EQ(node->GetCount(), childCount);
  EXPECT_EQ(node->GetAsList().Count(), childCount);
  EXPECT_TRUE(DocumentTextOf(*node).empty());
  EXPECT_FALSE(node->GetIsGenerating());
  node->SetIsGenerating(true);
  EXPECT_FALSE(node->GetIsGenerating());
  (void)node->GetJType();
  (void)node->GetLevel();
  (void)node->GetTextStart();
  (void)node->GetTextFinish();
  EXPECT_EQ(node->Find(u"a", 0), nullptr);
  if (const JSONRef hit = node->FindByPosition(node->GetTextStart())) {
    EXPECT_EQ(hit->GetText(), u"");
  }
  EXPECT_THROW(node->GetChild(childCount), std::out_of_range);
  for (int32_t i = 0; i < childCount; ++i) {
    const JSONRef child = node->GetChild(i);
    EXPECT_EQ(child->GetParent(), node);
    EXPECT_EQ(child->GetText(), u"");
  }

  const JSONRef blank = node->GetChildByName(u"zz");
  ASSERT_TRUE(blank);
  EXPECT_EQ(blank->GetParent(), node);
  node->SetChildByName(u"zz", blank);
  EXPECT_EQ(node->AddChild(u"n", u"1"), nullptr);
  node->SetValue(u"[1,2]");
  node->SetAsString(u"x");
  node->SetName(u"y");
  node->ShiftPositions(0, 5);
  int32_t position = 1;
  node->Parse(position);
  EXPECT_EQ(node->GetCount(), childCount);
  EXPECT_EQ(node->GetText(), u"");
}

TEST(SurvivingNode, AMemberOutlivingItsDocumentLosesItsParentAndStaysSafeToUse) {
  const int64_t before = JSONInstanceCount;
  {
    JSONRef doc = JSONFromString(u"{\"a\":{\"b\":1,\"c\":[true]},\"d\":\"x\"}");
    JSONRef member = doc->GetChild(0);
    JSONRef string = doc->GetChild(1);
    doc.reset();
    EXPECT_EQ(JSONInstanceCount, before + 5); // a with b, c and c's element, and d
    ExpectEveryOperationIsSafeOnASurvivor(member, 2);
    ExpectEveryOperationIsSafeOnASurvivor(string, 0);
  }
  EXPECT_EQ(JSONInstanceCount, before);
}

TEST(SurvivingNode, NodesDroppedByAnEditLoseTheirParentAndOutliveIt) {
  const int64_t before = JSONInstanceCount;
  JSONRef doc = JSONFromString(u"{\"a\":{\"b\":[1,2]},\"z\":0}");
  JSONRef grandchild = doc->GetChild(0)->GetChild(0);
  JSONRef element = grandchild->GetChild(1);
  // Replacing a's value drops its old children from the tree.
  doc->GetChild(0)->SetValue(u"7");
  EXPECT_EQ(grandchild->GetParent(), nullptr);
  EXPECT_EQ(element->GetParent(), nullptr);
  EXPECT_EQ(doc->GetChild(0)->GetValue(), u"7");
  // The element's old parent dies with the last reference to it; the element lives on.
  grandchild.reset();
  EXPECT_EQ(element->GetParent(), nullptr);
  EXPECT_EQ(element->GetCount(), 0);
  doc.reset();
  ExpectEveryOperationIsSafeOnASurvivor(element, 0);
  element.reset();
  EXPECT_EQ(JSONInstanceCount, before);
}

TEST(SurvivingNode, ABlankNodeLosesItsParentWhenTheParentDies) {
  const int64_t before = JSONInstanceCount;
  JSONRef doc = JSONFromString(u"{\"a\":{\"b\":1}}");
  JSONRef fromMember = doc->GetChild(0)->GetChildByName(u"missing");
  JSONRef fromDocument = doc->GetChildByName(u"missing");
  JSONRef fromBlank = fromMember->GetChildByName(u"deeper");
  EXPECT_EQ(fromMember->GetParent(), doc->GetChild(0));
  EXPECT_EQ(fromDocument->GetParent(), doc);
  EXPECT_EQ(fromBlank->GetParent(), fromMember);
  doc.reset();
  EXPECT_EQ(fromMember->GetParent(), nullptr);
  EXPECT_EQ(fromDocument->GetParent(), nullptr);
  EXPECT_EQ(fromBlank->GetParent(), fromMember);
  fromMember.reset();
  EXPECT_EQ(fromBlank->GetParent(), nullptr);
  ExpectEveryOperationIsSafeOnASurvivor(fromBlank, 0);
  ExpectEveryOperationIsSafeOnASurvivor(fromDocument, 0);
  fromBlank.reset();
  fromDocument.reset();
  EXPECT_EQ(JSONInstanceCount, before);
}

TEST(SurvivingNode, ParentsAreKeptWhileTheyLive) {
  JSONRef doc = JSONFromString(u"[[1],{\"k\":2}]");
  JSONRef inner = doc->GetChild(0)->GetChild(0);
  JSONRef blank = doc->GetChild(1)->GetChildByName(u"none");
  // Releasing a blank node or another member touches nothing else.
  JSONRef other = doc->GetChild(1)->GetChildByName(u"also none");
  other.reset();
  EXPECT_EQ(inner->GetParent(), doc->GetChild(0));
  EXPECT_EQ(blank->GetParent(), doc->GetChild(1));
  EXPECT_EQ(inner->GetParent()->GetParent(), doc);
  EXPECT_EQ(inner->GetText(), u"1");
}

TEST(SurvivingNode, ANodeOfADeepDocumentIsReleasedLastWithoutTrouble) {
  std::u16string text(20000, u'[');
  text += std::u16string(20000, u']');
  JSONRef doc = JSONFromString(text);
  JSONRef node = doc;
  for (int i = 0; i < 10000; ++i)
    node = node->GetChild(0);
  doc.reset();
  EXPECT_EQ(node->GetParent(), nullptr);
  ExpectEveryOperationIsSafeOnASurvivor(node, 1);
}

} // namespace

namespace {

TEST(DocumentRelease, CountsEveryNodeOutHoweverTheTreeGoes) {
  const int64_t before = JSONInstanceCount;
  const std::u16string text = u"{\"a\":[1,2,{\"b\":[3]}],\"c\":\"x\",\"d\":{}}";
  // No node held: the tree goes as a whole.
  JSONFromString(text).reset();
  EXPECT_EQ(JSONInstanceCount, before);
  {
    // Nodes that were held and given back again do not count as held.
    JSONRef doc = JSONFromString(text);
    JSONRef held = doc->GetChild(0)->GetChild(2);
    JSONRef parent = held->GetParent();
    held.reset();
    parent.reset();
  }
  EXPECT_EQ(JSONInstanceCount, before);
  {
    // An edit grows a child list on the heap.
    JSONRef doc = JSONFromString(text);
    ASSERT_TRUE(doc->GetChild(2)->AddChild(u"e", u"[5,6]"));
    EXPECT_EQ(doc->GetChild(2)->GetChild(0)->GetCount(), 2);
  }
  EXPECT_EQ(JSONInstanceCount, before);
  {
    JSONRef doc = JSONFromString(text);
    JSONRef blank = doc->GetChild(0)->GetChildByName(u"none");
    JSONRef element = doc->GetChild(0)->GetChild(1);
    doc.reset();
    EXPECT_EQ(JSONInstanceCount, before + 2);
    EXPECT_EQ(element->GetValue(), u"");
    blank.reset();
    EXPECT_EQ(JSONInstanceCount, before + 1);
  }
  EXPECT_EQ(JSONInstanceCount, before);
}

} // namespace
