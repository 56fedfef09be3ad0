// Applies random edit sequences to random documents and checks after every edit that each node
// reads without failing, that the tree is linked as it should be, that no range strays from the
// text further than the parser itself leaves ranges, that ranges the edit did not touch read the
// same characters, and that edits through nodes outside the tree change nothing.
//
// Input: segments separated by the byte 0xFF. The first is the document; each further one is an
// edit: an operation byte, a node selector byte, then the edit's first text and, after a byte
// 0xFE, its second. Bytes become UTF-16 units one to one, except 0xFD, which stands for an unpaired
// surrogate.

#include "tests/NodeInvariants.h"
#include "json/JSONGeneration.h"
#include "json/UJSON.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
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

using node_invariants::Openings;
using node_invariants::ReplacedBy;
using node_invariants::Snapshot;
using node_invariants::TakeSnapshot;
using node_invariants::TextOf;
using node_invariants::TreeNodes;

const TJSONObject& Node(const IJSONObject* node) { return node_invariants::NodeOf(*node); }

void CheckNoFault(const std::string& fault) {
  if (!fault.empty())
    Fail(fault.c_str());
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
    CheckNoFault(node_invariants::SoundTreeFault(doc, openings + 3));
    CheckNoFault(node_invariants::UntouchedRangesFault(doc, snapshot, replaced, node.get(),
                                                       editedRange, reparsed));
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
