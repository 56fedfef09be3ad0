// Random edit sequences: for well-formed values and plain names the edited tree is the tree a
// fresh load of the edited text gives; for any texts at all, every read succeeds, the tree stays
// linked as it should, no range strays from the text, and every range the edit did not touch
// still reads the same characters.

#include "NodeAccess.h"
#include "NodeInvariants.h"
#include "PrintableText.h"

#include "json/JSONGeneration.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

class Random {
public:
  explicit Random(uint32_t seed) : engine_(seed) {}
  size_t Below(size_t n) { return engine_() % n; }
  bool Chance(unsigned percent) { return engine_() % 100 < percent; }
  template <class T> const T& Pick(const std::vector<T>& items) {
    return items[Below(items.size())];
  }
  char16_t From(std::u16string_view alphabet) { return alphabet[Below(alphabet.size())]; }

private:
  std::mt19937 engine_;
};

using node_invariants::Openings;
using node_invariants::ReplacedBy;
using node_invariants::Snapshot;
using node_invariants::TextOf;
using node_invariants::TreeNodes;

// --- well-formed values and plain names ---------------------------------------------------------

// Letters with at most single spaces inside.
std::u16string PlainName(Random& random) {
  std::u16string name;
  const size_t words = random.Below(3);
  for (size_t w = 0; w < words; ++w) {
    if (w > 0)
      name += u' ';
    for (size_t k = 1 + random.Below(3); k > 0; --k)
      name += random.From(u"abcxyzABQ019_");
  }
  return name;
}

// String content: no quotation mark or backslash, no run of spaces.
std::u16string StringContent(Random& random) {
  std::u16string content;
  for (size_t k = random.Below(6); k > 0; --k) {
    const char16_t c = random.From(u"ab Z9,:[]{}é");
    if (c != u' ' || content.empty() || content.back() != u' ')
      content += c;
  }
  return content;
}

// A text for AsString: quotes, backslashes and line breaks, which the escapes protect, and the
// structural characters, which need no protection inside a string.
std::u16string AsStringText(Random& random) {
  std::u16string text;
  for (size_t k = random.Below(6); k > 0; --k) {
    const char16_t c = random.From(u"a\"b,:[]{}x \\\n");
    if (c != u' ' || text.empty() || text.back() != u' ')
      text += c;
  }
  return text;
}

// JSON with spaces after opening brackets, commas and colons only: for this parser a space
// between a nested value's closing bracket and the following comma ends the parent.
std::u16string Value(Random& random, int depth, bool spaced) {
  const std::u16string space = spaced && random.Chance(50) ? u" " : u"";
  switch (random.Below(depth > 0 ? 8 : 6)) {
  case 0:
    return random.Pick<std::u16string>({u"0", u"-12", u"3.5", u"1e5", u"42"});
  case 1:
    return random.Pick<std::u16string>({u"true", u"false", u"null"});
  case 2:
  case 3:
    return u"\"" + StringContent(random) + u"\"";
  case 4:
    return random.Chance(50) ? u"[" + space + u"]" : u"{" + space + u"}";
  case 5:
  case 6: {
    std::u16string text = u"[" + space;
    for (size_t k = random.Below(4); k > 0; --k) {
      text += Value(random, depth - 1, spaced);
      if (k > 1)
        text += u"," + space;
    }
    return text + u"]";
  }
  default: {
    std::u16string text = u"{" + space;
    for (size_t k = random.Below(4); k > 0; --k) {
      text += u"\"" + PlainName(random) + u"\":" + space + Value(random, depth - 1, spaced);
      if (k > 1)
        text += u"," + space;
    }
    return text + u"}";
  }
  }
}

std::u16string Container(Random& random, bool spaced) {
  for (;;) {
    std::u16string text = Value(random, 3, spaced);
    if (text[0] == u'[' || text[0] == u'{')
      return text;
  }
}

bool IsContainer(const JSONRef& node) {
  return node->GetJType() == jt_object || node->GetJType() == jt_array;
}

// A string's value range lies between its quotation marks; writing a value there writes content.
bool IsQuoted(const JSONRef& node) {
  const TStringElement value = Node(node).ValueRange();
  const std::u16string& text = TextOf(node);
  return (node->GetJType() == jt_string || node->GetJType() == jt_variant) && value.Start >= 2 &&
         static_cast<size_t>(value.Start - 2) < text.size() && text[value.Start - 2] == u'"';
}

void ExpectSameTree(const JSONRef& edited, const JSONRef& fresh, const std::string& where) {
  std::vector<std::pair<JSONRef, JSONRef>> pending{{edited, fresh}};
  while (!pending.empty()) {
    auto [a, b] = pending.back();
    pending.pop_back();
    ASSERT_EQ(a->GetJType(), b->GetJType()) << where << " at " << Printable(b->GetText());
    ASSERT_EQ(a->GetName(), b->GetName()) << where;
    ASSERT_EQ(a->GetValue(), b->GetValue()) << where;
    ASSERT_EQ(a->GetText(), b->GetText()) << where;
    ASSERT_EQ(a->GetLevel(), b->GetLevel()) << where;
    ASSERT_EQ(a->GetCount(), b->GetCount()) << where << " at " << Printable(b->GetText());
    for (int32_t k = 0; k < a->GetCount(); ++k)
      pending.emplace_back(a->GetChild(k), b->GetChild(k));
  }
}

// One random edit that keeps the text well-formed; returns what it did, for failure messages.
std::string WellFormedEdit(Random& random, const JSONRef& doc) {
  const std::vector<JSONRef> nodes = TreeNodes(doc);
  const JSONRef& node = random.Pick(nodes);
  const bool spaced = random.Chance(50);
  // Copying a node into itself doubles the text; big texts only get smaller values.
  const bool small = TextOf(doc).size() > 2000;
  switch (random.Below(small ? 1 : 6)) {
  case 0: {
    if (IsQuoted(node)) {
      const std::u16string content = StringContent(random);
      node->SetValue(content);
      return "SetValue content " + Printable(content);
    }
    const std::u16string value =
        node == doc ? Container(random, spaced) : Value(random, small ? 0 : 2, spaced);
    node->SetValue(value);
    return "SetValue " + Printable(value);
  }
  case 1: {
    if (!IsContainer(node))
      return "nothing";
    const std::u16string name = random.Chance(60) ? PlainName(random) : u"";
    const std::u16string value = Value(random, 2, spaced);
    const int32_t count = node->GetCount();
    const JSONRef child = node->AddChild(name, value);
    if (!child) {
      ADD_FAILURE() << "AddChild refused " << Printable(node->GetText());
      return "AddChild refused";
    }
    EXPECT_EQ(node->GetCount(), count + 1);
    EXPECT_EQ(child->GetParent(), node);
    const bool wrapped = !name.empty() && node->GetJType() == jt_array;
    const std::u16string member = name.empty() ? value : u"\"" + name + u"\":" + value;
    EXPECT_EQ(child->GetText(), wrapped ? u"{" + member + u"}" : member);
    return "AddChild " + Printable(name) + " " + Printable(value);
  }
  case 2: {
    const std::u16string name = PlainName(random);
    node->SetName(name);
    return "SetName " + Printable(name);
  }
  case 3: {
    if (!IsQuoted(node))
      return "nothing";
    const std::u16string text = AsStringText(random);
    node->SetAsString(text);
    // Every string reads back as written, spaces at its ends included.
    EXPECT_EQ(node->GetAsString(), text);
    return "SetAsString " + Printable(text);
  }
  case 4: {
    const std::u16string name = PlainName(random);
    node->GetChildByName(name);
    return "GetChildByName " + Printable(name);
  }
  default: {
    // The source's value may land between the quotation marks of a string member.
    const JSONRef& source = random.Pick(nodes);
    if (IsQuoted(source) || source->GetValue().find(u'"') != std::u16string::npos ||
        !IsContainer(node))
      return "nothing";
    const std::u16string name = PlainName(random);
    node->SetChildByName(name, source);
    return "SetChildByName " + Printable(name) + " from " + Printable(source->GetText());
  }
  }
}

TEST(EditProperty, WellFormedEditsGiveTheTreeThatReloadingTheTextGives) {
  Random random(20240611);
  for (int round = 0; round < 1000; ++round) {
    const int64_t before = JSONInstanceCount;
    {
      JSONRef doc;
      switch (random.Below(3)) {
      case 0:
        doc = NewJSONObject();
        break;
      case 1:
        doc = JSONArrayOf({TJSONValue::Integer(1), TJSONValue::UnicodeString(u"s")});
        break;
      default:
        doc = JSONFromString(Container(random, random.Chance(50)));
        break;
      }
      std::string history = Printable(TextOf(doc));
      for (int step = 0; step < 25 && !testing::Test::HasFailure(); ++step) {
        history += "\n  " + WellFormedEdit(random, doc);
        ExpectSameTree(doc, JSONFromString(TextOf(doc)),
                       history + "\n  gives " + Printable(TextOf(doc)));
      }
    }
    ASSERT_EQ(JSONInstanceCount, before);
    if (testing::Test::HasFailure())
      break;
  }
}

// --- any texts -----------------------------------------------------------------------------------

std::u16string AnyText(Random& random, size_t maxLength) {
  static const std::u16string alphabet = {
      u'"',  u'\\', u'[', u']', u'{', u'}', u',', u':',  u' ',    u' ',      u'\t',   u'\n',
      u'\r', u'u',  u'U', u'0', u'4', u'1', u'a', u'\0', u'\x7F', u'\xD800', u'\xE9', u'5'};
  std::u16string text;
  for (size_t k = random.Below(maxLength + 1); k > 0; --k)
    text += random.From(alphabet);
  if (random.Chance(10))
    text += u"\\u00";
  return text;
}

void ExpectSoundTree(const JSONRef& doc, int64_t overrun, const std::string& where) {
  ASSERT_EQ(node_invariants::SoundTreeFault(doc, overrun), "") << where;
}

void ExpectUntouchedRangesRead(const JSONRef& doc, const std::vector<Snapshot>& before,
                               TStringElement replaced, const IJSONObject* edited, int editedRange,
                               bool reparsed, const std::string& where) {
  ASSERT_EQ(
      node_invariants::UntouchedRangesFault(doc, before, replaced, edited, editedRange, reparsed),
      "")
      << where;
}

TEST(EditProperty, EditsWithAnyTextsKeepEveryNodeReadableAndEveryRangeTrue) {
  Random random(77);
  for (int round = 0; round < 2000; ++round) {
    const int64_t before = JSONInstanceCount;
    {
      std::u16string start = random.Chance(70) ? Value(random, 3, true) : AnyText(random, 30);
      if (random.Chance(50) && !start.empty())
        start.insert(random.Below(start.size()), AnyText(random, 3));
      JSONRef doc = JSONFromString(start);
      if (random.Chance(30))
        doc->SetIsGenerating(true);
      // Nodes kept across edits: some of them leave the tree, or never were in it.
      std::vector<JSONRef> held;
      // The most opening brackets the text has held: what the parser can leave past its end.
      int64_t openings = Openings(TextOf(doc));
      std::string history = Printable(start);

      for (int step = 0; step < 30 && !testing::Test::HasFailure(); ++step) {
        std::vector<JSONRef> nodes = TreeNodes(doc);
        if (random.Chance(30))
          held.push_back(random.Pick(nodes));
        if (!held.empty() && random.Chance(25))
          nodes = held;
        const JSONRef node = random.Pick(nodes);
        const std::vector<JSONRef> tree = TreeNodes(doc);
        const bool inTree = std::find(tree.begin(), tree.end(), node) != tree.end();
        const std::u16string textBefore = TextOf(doc);
        const std::vector<Snapshot> snapshot = node_invariants::TakeSnapshot(TreeNodes(doc));
        const int64_t length = static_cast<int64_t>(textBefore.size());
        const std::u16string text = AnyText(random, 8);
        TStringElement replaced{0, -1};
        bool reparsed = false;
        // Which range of the node the edit replaces: 1 its name, 2 its value.
        int editedRange = 0;

        switch (random.Below(6)) {
        case 0: {
          const std::u16string name = random.Chance(50) ? AnyText(random, 3) : u"";
          const TStringElement range = Node(node).TextRange();
          const JSONRef child = node->AddChild(name, text);
          history += "\n  AddChild " + Printable(name) + " " + Printable(text);
          if (!child) {
            ASSERT_EQ(TextOf(doc), textBefore) << history;
          } else {
            ASSERT_EQ(child->GetParent(), node) << history;
            replaced = {range.Finish, range.Finish - 1};
          }
          break;
        }
        case 1:
          replaced = ReplacedBy(Node(node).ValueRange(), length);
          editedRange = 2;
          reparsed = true;
          node->SetValue(text);
          history += "\n  SetValue " + Printable(text);
          break;
        case 2:
          replaced = ReplacedBy(Node(node).NameRange(), length);
          editedRange = 1;
          node->SetName(text);
          history += "\n  SetName " + Printable(text);
          break;
        case 3:
          replaced = ReplacedBy(Node(node).ValueRange(), length);
          editedRange = 2;
          node->SetAsString(text);
          history += "\n  SetAsString " + Printable(text);
          break;
        case 4: {
          // In generating mode a missing member is appended as AddChild does.
          const TStringElement range = Node(node).TextRange();
          replaced = {range.Finish, range.Finish - 1};
          if (JSONRef found = node->GetChildByName(text))
            held.push_back(std::move(found));
          history += "\n  GetChildByName " + Printable(text);
          break;
        }
        default: {
          const JSONRef source = random.Chance(80) ? random.Pick(TreeNodes(doc)) : nullptr;
          if (source)
            replaced = {1, static_cast<int32_t>(length)};
          node->SetChildByName(text, source);
          history += "\n  SetChildByName " + Printable(text);
          break;
        }
        }
        history += "\n  gives " + Printable(TextOf(doc));
        if (!inTree) {
          ASSERT_EQ(TextOf(doc), textBefore) << "an edit outside the tree changed the text\n"
                                             << history;
        }
        openings = std::max(openings, Openings(TextOf(doc)));
        ExpectSoundTree(doc, openings + 3, history);
        ExpectUntouchedRangesRead(doc, snapshot, replaced, node.get(), editedRange, reparsed,
                                  history);
      }
    }
    ASSERT_EQ(JSONInstanceCount, before);
    if (testing::Test::HasFailure())
      break;
  }
}

} // namespace
