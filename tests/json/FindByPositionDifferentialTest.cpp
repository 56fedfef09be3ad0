// FindByPosition searches each level's children by halves. Here it is held, for every position of
// random and real documents, against the plain descent that tries the children one by one.

#include "json/JSONDocument.h"
#include "json/UnicodeConversion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

bool Holds(const IJSONObject& node, int32_t position) {
  return node.GetTextStart() != 0 && node.GetTextStart() <= position &&
         position <= node.GetTextFinish();
}

// The reference: from the node, step into the first child that holds the position while there is
// one.
JSONRef LinearFindByPosition(const JSONRef& from, int32_t position) {
  if (!Holds(*from, position))
    return nullptr;
  JSONRef deepest = from;
  for (bool descended = true; descended;) {
    descended = false;
    for (int32_t i = 0; i < deepest->GetCount(); ++i) {
      JSONRef child = deepest->GetChild(i);
      if (Holds(*child, position)) {
        deepest = std::move(child);
        descended = true;
        break;
      }
    }
  }
  return deepest;
}

// The same answers for a whole document at once, where asking the reference position by position
// would take too long: each node paints its positions within its parent's window (answers[p - 1]
// for position p), the children after the node itself and the later children first, so that the
// first child holding a position has the last word.
void Paint(const JSONRef& node, int64_t low, int64_t high, std::vector<IJSONObject*>& answers) {
  if (node->GetTextStart() == 0)
    return;
  const int64_t first = std::max<int64_t>(node->GetTextStart(), low);
  const int64_t last = std::min<int64_t>(node->GetTextFinish(), high);
  if (first > last)
    return;
  for (int64_t p = first; p <= last; ++p)
    answers[static_cast<size_t>(p - 1)] = node.get();
  for (int32_t i = node->GetCount() - 1; i >= 0; --i)
    Paint(node->GetChild(i), first, last, answers);
}

// Past this, nothing holds a position.
int32_t TextLength(const JSONRef& document) { return std::max(document->GetTextFinish(), 0); }

// Every position of the node's text, a few around it, and the ones that are never held.
void ExpectSameAsLinear(const JSONRef& from, const std::u16string& text) {
  const int32_t end = TextLength(from) + 2;
  for (const int32_t position : {INT32_MIN, -1, 0, INT32_MAX})
    ASSERT_EQ(from->FindByPosition(position), LinearFindByPosition(from, position)) << position;
  for (int32_t position = 1; position <= end; ++position) {
    ASSERT_EQ(from->FindByPosition(position), LinearFindByPosition(from, position))
        << "at " << position << " of " << ujson::Utf16ToUtf8(text);
  }
}

// Pieces of lenient and well-formed JSON, so that random texts hold both.
const std::vector<std::u16string_view> kPieces = {
    u"[",     u"]",        u"{",  u"}",  u",",     u":",      u" ",       u"\r\n",
    u"\"a\"", u"\"k\":",   u"\"", u"\\", u"1",     u"-2.5e3", u"true",    u"null",
    u"x",     u"\"\\\"\"", u"[]", u"{}", u"\"é\"", u"\t",     u"[1,2,3]", u"{\"a\":[{}]}"};

std::u16string RandomText(std::mt19937& engine) {
  std::u16string text;
  const size_t pieces = 1 + engine() % 40;
  for (size_t i = 0; i < pieces; ++i)
    text += kPieces[engine() % kPieces.size()];
  return text;
}

// A well-formed document with wide levels, where the search by halves has something to do.
std::u16string WideDocument(std::mt19937& engine, int depth) {
  const bool object = engine() % 2 == 0;
  std::u16string text = object ? u"{" : u"[";
  const size_t count = engine() % (depth == 0 ? 3 : 30);
  for (size_t i = 0; i < count; ++i) {
    if (i > 0)
      text += engine() % 3 == 0 ? u" , " : u",";
    if (object)
      text += u"\"n" + std::u16string(engine() % 3, u'x') + u"\" : ";
    if (depth > 0 && engine() % 4 == 0)
      text += WideDocument(engine, depth - 1);
    else
      text += engine() % 2 == 0 ? std::u16string(u"12") : std::u16string(u"\"s t\"");
  }
  text += object ? u"}" : u"]";
  return text;
}

TEST(FindByPositionDifferential, RandomTextsFindWhatTheLinearDescentFinds) {
  std::mt19937 engine(20261210);
  for (int round = 0; round < 3000; ++round) {
    const std::u16string text = round % 3 == 0 ? WideDocument(engine, 3) : RandomText(engine);
    const JSONRef document = JSONFromString(text);
    ExpectSameAsLinear(document, text);
    // From a node inside, the search stays within that node.
    if (document->GetCount() > 0)
      ExpectSameAsLinear(document->GetChild(document->GetCount() - 1), text);
    if (HasFatalFailure())
      return;
  }
}

TEST(FindByPositionDifferential, ThePaintedReferenceIsTheLinearDescent) {
  std::mt19937 engine(7);
  for (int round = 0; round < 500; ++round) {
    const std::u16string text = round % 2 == 0 ? WideDocument(engine, 3) : RandomText(engine);
    const JSONRef document = JSONFromString(text);
    const int32_t end = TextLength(document) + 1;
    std::vector<IJSONObject*> painted(static_cast<size_t>(end), nullptr);
    Paint(document, 1, end, painted);
    for (int32_t position = 1; position <= end; ++position) {
      ASSERT_EQ(painted[static_cast<size_t>(position - 1)],
                LinearFindByPosition(document, position).get())
          << "at " << position << " of " << ujson::Utf16ToUtf8(text);
    }
  }
}

TEST(FindByPositionDifferential, RealDocumentsFindWhatTheLinearDescentFinds) {
  const fs::path folder = fs::path(TRESKAL_SHARED_DATA_DIR) / "json";
  if (!fs::is_directory(folder))
    GTEST_SKIP() << "no shared documents at " << folder;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.path().extension() != ".json")
      continue;
    SCOPED_TRACE(entry.path().string());
    const JSONRef document = JSONFromFile(ujson::Utf8ToUtf16(entry.path().string()));
    const int32_t end = TextLength(document) + 1;
    std::vector<IJSONObject*> painted(static_cast<size_t>(end), nullptr);
    Paint(document, 1, end, painted);
    for (int32_t position = 1; position <= end; ++position) {
      const JSONRef found = document->FindByPosition(position);
      ASSERT_EQ(found.get(), painted[static_cast<size_t>(position - 1)]) << "at " << position;
    }
  }
}

} // namespace
