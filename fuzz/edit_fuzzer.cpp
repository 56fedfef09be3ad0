// Applies random edit sequences to random documents and checks after every edit that each node
// reads without failing, that the tree is linked as it should be, that no range strays from the
// text further than the parser itself leaves ranges, that ranges the edit did not touch read the
// same characters, and that edits through nodes outside the tree change nothing.
//
// Input: segments separated by the byte 0xFF. The first is the document; each further one is an
// edit: an operation byte, a node selector byte, then the edit's first text and, after a byte
// 0xFE, its second. Bytes become UTF-16 units one to one, except 0xFD, which stands for an unpaired
// surrogate.

#include "json/JSONGeneration.h"
#include "json/UJSON.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "edit_fuzzer: %s\n", what);
  std::abort();
}

void Check(bool condition, const char* what) {
  if (!condition)
    Fail(what);
}

std::u16string Units(std::string_view bytes) {
  std::u16string text;
  text.reserve(bytes.size());
  for (const char byte : bytes) {
    const auto b = static_cast<unsigned char>(byte);
    text += b == 0xFD ? char16_t{0xD800} : static_cast<char16_t>(b);
  }
  return text;
}

const TJSONObject& Node(const IJSONObject* node) { return static_cast<const TJSONObject&>(*node); }

const std::u16string& TextOf(const JSONRef& node) { return Node(node.get()).Owner()->FText; }

std::vector<JSONRef> TreeNodes(const JSONRef& root) {
  std::vector<JSONRef> nodes{root};
  for (size_t i = 0; i < nodes.size(); ++i) {
    for (int32_t k = 0; k < nodes[i]->GetCount(); ++k)
      nodes.push_back(nodes[i]->GetChild(k));
  }
  return nodes;
}

int64_t Openings(std::u16string_view text) {
  return std::count_if(text.begin(), text.end(), [](char16_t c) { return c == u'[' || c == u'{'; });
}

struct Snapshot {
  const IJSONObject* node;
  TStringElement ranges[3];
  std::u16string reads[3];
};

std::vector<Snapshot> TakeSnapshot(const std::vector<JSONRef>& tree) {
  std::vector<Snapshot> snapshot;
  for (const JSONRef& node : tree) {
    const TJSONObject& n = Node(node.get());
    snapshot.push_back({node.get(),
                        {n.TextRange(), n.NameRange(), n.ValueRange()},
                        {node->GetText(), node->GetName(), node->GetValue()}});
  }
  return snapshot;
}

TStringElement ReplacedBy(TStringElement range, int64_t length) {
  const int32_t last =
      static_cast<int32_t>(std::min<int64_t>(std::max(range.Finish, range.Start - 1), length));
  return {range.Start, last};
}

void CheckSoundTree(const JSONRef& doc, int64_t overrun) {
  const int64_t length = static_cast<int64_t>(TextOf(doc).size());
  for (const JSONRef& node : TreeNodes(doc)) {
    const TJSONObject& n = Node(node.get());
    for (const TStringElement range : {n.TextRange(), n.NameRange(), n.ValueRange()}) {
      Check(range.Start >= 0 && range.Start <= length + overrun, "range start outside the text");
      Check(range.Finish >= -1 && range.Finish <= length + overrun,
            "range finish outside the text");
    }
    node->GetName();
    node->GetValue();
    node->GetAsString();
    node->GetAsInt();
    node->GetAsInt64();
    node->GetAsDouble();
    node->GetAsBoolean();
    node->Find(u"a", 0);
    if (node->GetTextStart() > 0)
      node->FindByPosition(node->GetTextStart());
    for (int32_t k = 0; k < node->GetCount(); ++k) {
      const JSONRef child = node->GetChild(k);
      Check(child->GetParent() == node, "a child does not lead back to its parent");
      Check(child->GetLevel() == node->GetLevel() + 1, "a child is not one level down");
    }
  }
}

void CheckUntouchedRanges(const JSONRef& doc, const std::vector<Snapshot>& before,
                          TStringElement replaced, const IJSONObject* edited, int editedRange,
                          bool reparsed) {
  std::unordered_set<const IJSONObject*> inTree;
  for (const JSONRef& node : TreeNodes(doc))
    inTree.insert(node.get());
  for (const Snapshot& shot : before) {
    if ((reparsed && shot.node == edited) || inTree.count(shot.node) == 0)
      continue;
    const std::u16string reads[3] = {shot.node->GetText(), shot.node->GetName(),
                                     shot.node->GetValue()};
    for (int k = 0; k < 3; ++k) {
      const TStringElement range = shot.ranges[k];
      if (range.Start == 0 || range.Finish < range.Start ||
          (shot.node == edited && (k == 0 || k == editedRange)))
        continue;
      if (range.Finish < replaced.Start || range.Start > replaced.Finish)
        Check(reads[k] == shot.reads[k], "an untouched range reads differently");
    }
  }
}

void Run(std::string_view input) {
  std::vector<std::string_view> segments;
  for (size_t start = 0;;) {
    const size_t end = input.find('\xFF', start);
    segments.push_back(input.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos)
      break;
    start = end + 1;
  }

  JSONRef doc = JSONFromString(Units(segments[0]));
  std::vector<JSONRef> held;
  int64_t openings = Openings(TextOf(doc));
  // Setting a member from its own ancestor doubles the text; a few such edits are enough.
  constexpr size_t MaxTextLength = 4096;
  for (size_t s = 1; s < segments.size() && s <= 64 && TextOf(doc).size() <= MaxTextLength; ++s) {
    std::string_view edit = segments[s];
    if (edit.size() < 2)
      continue;
    const auto operation = static_cast<unsigned char>(edit[0]);
    const auto selector = static_cast<unsigned char>(edit[1]);
    edit.remove_prefix(2);
    const size_t split = edit.find('\xFE');
    const std::u16string first = Units(edit.substr(0, split));
    const std::u16string second =
        split == std::string_view::npos ? std::u16string() : Units(edit.substr(split + 1));

    const std::vector<JSONRef> tree = TreeNodes(doc);
    // Selectors from 0x80 on pick a held node, which may have left the tree.
    const bool pickHeld = selector >= 0x80 && !held.empty();
    const JSONRef node =
        pickHeld ? held[(selector & 0x7F) % held.size()] : tree[selector % tree.size()];
    const bool inTree = std::find(tree.begin(), tree.end(), node) != tree.end();
    const std::u16string textBefore = TextOf(doc);
    const int64_t length = static_cast<int64_t>(textBefore.size());
    const std::vector<Snapshot> snapshot = TakeSnapshot(tree);
    TStringElement replaced{0, -1};
    bool reparsed = false;
    // Which range of the node the edit replaces: 1 its name, 2 its value.
    int editedRange = 0;

    switch (operation % 9) {
    case 0: {
      const TStringElement range = Node(node.get()).TextRange();
      const JSONRef child = node->AddChild(first, second);
      if (child) {
        Check(child->GetParent() == node, "a new child does not lead back to its parent");
        replaced = {range.Finish, range.Finish - 1};
      } else {
        Check(TextOf(doc) == textBefore, "a refused AddChild changed the text");
      }
      break;
    }
    case 1:
      replaced = ReplacedBy(Node(node.get()).ValueRange(), length);
      editedRange = 2;
      reparsed = true;
      node->SetValue(first);
      break;
    case 2:
      replaced = ReplacedBy(Node(node.get()).NameRange(), length);
      editedRange = 1;
      node->SetName(first);
      break;
    case 3:
      replaced = ReplacedBy(Node(node.get()).ValueRange(), length);
      editedRange = 2;
      node->SetAsString(first);
      break;
    case 4: {
      const TStringElement range = Node(node.get()).TextRange();
      replaced = {range.Finish, range.Finish - 1};
      if (JSONRef found = node->GetChildByName(first))
        held.push_back(std::move(found));
      break;
    }
    case 5: {
      const JSONRef source = second.empty() ? JSONRef() : tree[second[0] % tree.size()];
      if (source)
        replaced = {1, static_cast<int32_t>(length)};
      node->SetChildByName(first, source);
      break;
    }
    case 6:
      held.push_back(node);
      break;
    case 7:
      doc->SetIsGenerating(!doc->GetIsGenerating());
      break;
    default:
      if (!held.empty())
        held.erase(held.begin() + static_cast<std::ptrdiff_t>(selector % held.size()));
      break;
    }

    if (!inTree)
      Check(TextOf(doc) == textBefore, "an edit through a node outside the tree changed the text");
    openings = std::max(openings, Openings(TextOf(doc)));
    CheckSoundTree(doc, openings + 3);
    CheckUntouchedRanges(doc, snapshot, replaced, node.get(), editedRange, reparsed);
  }
  // Nodes held past their document must stay harmless to edit.
  doc.reset();
  for (const JSONRef& node : held) {
    node->SetValue(u"1");
    node->SetName(u"n");
    node->SetAsString(u"s");
    Check(!node->AddChild(u"a", u"1"), "AddChild succeeded on a node of a destroyed document");
  }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096)
    return 0;
  const int64_t before = JSONInstanceCount;
  try {
    Run(std::string_view(reinterpret_cast<const char*>(data), size));
  } catch (const EJSONError&) {
    // Only the bounds of nesting and text length may refuse an edit.
  }
  Check(JSONInstanceCount == before, "nodes were left alive");
  return 0;
}
