// Loads shared real-world documents: every parsing case of JSONTestSuite (the parser is lenient,
// so every one of them must load) and the benchmark documents, whose structure is known.
// Skipped when the shared data folder is absent.

#include "NodeAccess.h"

#include "json/JSONDocument.h"
#include "json/UnicodeConversion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <exception>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

fs::path SharedData() { return fs::path(TRESKAL_SHARED_DATA_DIR); }

std::vector<fs::path> JsonFilesIn(const fs::path& folder) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.is_regular_file() && entry.path().extension() == ".json")
      files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

JSONRef Load(const fs::path& path) { return JSONFromFile(ujson::Utf8ToUtf16(path.string())); }

const std::u16string& DocumentText(const JSONRef& node) { return Node(node).Owner()->FText; }

// What reading a range yields: its characters, clipped to the text, and unless the range holds
// a string's content, without the characters up to code 32 at either end; nothing for a range
// that is not set.
std::u16string Cut(const std::u16string& text, TStringElement range, bool exact = false) {
  if (range.Start == 0)
    return {};
  const int64_t first = std::max<int64_t>(range.Start, 1);
  const int64_t last = std::min<int64_t>(range.Finish, static_cast<int64_t>(text.size()));
  if (first > last)
    return {};
  std::u16string_view view(text.data() + first - 1, static_cast<size_t>(last - first + 1));
  if (exact)
    return std::u16string(view);
  while (!view.empty() && view.front() <= u' ')
    view.remove_prefix(1);
  while (!view.empty() && view.back() <= u' ')
    view.remove_suffix(1);
  return std::u16string(view);
}

bool Holds(const JSONRef& node, int32_t position) {
  return node->GetTextStart() != 0 && node->GetTextStart() <= position &&
         position <= node->GetTextFinish();
}

bool IsInSubtree(const JSONRef& node, const JSONRef& root) {
  for (JSONRef at = node; at != nullptr; at = at->GetParent()) {
    if (at == root)
      return true;
  }
  return false;
}

// FindByPosition on `from`: none outside its text range, otherwise a node of its subtree that
// holds the position.
void ExpectFindByPosition(const JSONRef& from, int32_t position) {
  const JSONRef hit = from->FindByPosition(position);
  if (!Holds(from, position)) {
    EXPECT_EQ(hit, nullptr) << "position " << position;
    return;
  }
  ASSERT_NE(hit, nullptr) << "position " << position;
  EXPECT_TRUE(Holds(hit, position)) << "position " << position;
  EXPECT_TRUE(IsInSubtree(hit, from)) << "position " << position;
}

// Find on `from`: FindByPosition of the first occurrence of the text that begins AStartIndex
// characters or more into the text range and ends before its last character, as a plain search
// of the document text finds it.
void ExpectFind(const JSONRef& from, const std::u16string& needle, int32_t startIndex) {
  const std::u16string& text = DocumentText(from);
  const int64_t start = from->GetTextStart();
  const int64_t finish = from->GetTextFinish();
  const int64_t offset = std::max(startIndex, 0);
  JSONRef expected;
  if (!needle.empty() && offset < finish - start) {
    const int64_t first = std::max<int64_t>(start + offset, 1);
    const int64_t last = std::min<int64_t>(finish - 1, static_cast<int64_t>(text.size()));
    if (last - first + 1 >= static_cast<int64_t>(needle.size())) {
      const std::u16string_view window(text.data() + first - 1,
                                       static_cast<size_t>(last - first + 1));
      if (const size_t hit = window.find(needle); hit != std::u16string_view::npos)
        expected = from->FindByPosition(static_cast<int32_t>(first + static_cast<int64_t>(hit)));
    }
  }
  EXPECT_EQ(from->Find(needle, startIndex), expected)
      << "text \"" << ujson::Utf16ToUtf8(needle) << "\" from " << startIndex;
}

// Reads a node in every way the viewer does and checks what the model promises about its
// place in the tree.
void ExpectReadableNode(const JSONRef& node, const JSONRef& parent) {
  try {
    (void)node->GetName();
    (void)node->GetValue();
    (void)node->GetText();
    (void)node->GetAsString();
    (void)node->GetAsInt();
    (void)node->GetAsInt64();
    (void)node->GetAsDouble();
    (void)node->GetAsBoolean();
  } catch (const std::exception& e) {
    ADD_FAILURE() << "reading failed: " << e.what();
  }
  const TJSONObject& model = Node(node);
  EXPECT_EQ(node->GetTextStart(), model.TextRange().Start);
  EXPECT_EQ(node->GetTextFinish(), model.TextRange().Finish);
  EXPECT_LE(node->GetJType(), jt_variant);
  EXPECT_FALSE(node->GetIsGenerating());
  EXPECT_EQ(node->GetParent(), parent);
  EXPECT_EQ(node->GetLevel(), parent == nullptr ? 0 : parent->GetLevel() + 1);
  EXPECT_EQ(node->GetCount(), node->GetAsList().Count());
  try {
    (void)node->GetChild(node->GetCount());
    ADD_FAILURE() << "GetChild accepted the index " << node->GetCount();
  } catch (const std::out_of_range& e) {
    EXPECT_STREQ(e.what(), "Argument out of range");
  }
}

// Checks what the readings and searches of a node yield.
void ExpectNodeContent(const JSONRef& document, const JSONRef& node) {
  const std::u16string& text = DocumentText(node);
  const TJSONObject& model = Node(node);
  const std::u16string ownText = node->GetText();
  // A value holds a string's content when it is a member's string, or when it starts right
  // after the quote that opens the node's text.
  int32_t opening = model.TextRange().Start;
  while (opening >= 1 && opening <= static_cast<int32_t>(text.size()) && text[opening - 1] <= u' ')
    ++opening;
  const bool quoted = node->GetJType() == jt_string ||
                      (node->GetJType() == jt_variant && !ownText.empty() &&
                       ownText.front() == u'"' && model.ValueRange().Start == opening + 1);
  EXPECT_EQ(node->GetName(), Cut(text, model.NameRange(), true));
  EXPECT_EQ(node->GetValue(), Cut(text, model.ValueRange(), quoted));
  EXPECT_EQ(ownText, Cut(text, model.TextRange()));

  for (const int32_t position : {node->GetTextStart(), node->GetTextFinish()}) {
    ExpectFindByPosition(node, position);
    ExpectFindByPosition(document, position);
  }
  ExpectFind(document, ownText, 0);
  ExpectFind(node, ownText, 0);
  ExpectFind(node, ownText.substr(0, 1), 1);
  ExpectFind(node, u"\"", -1);
}

// Walks the whole document with an explicit stack (some cases nest 100,000 levels deep) and
// reads every node. In a document of n nested nodes every node's text runs to the end of the
// document, so reading all of them costs n * n characters; the content checks, which read and
// search those texts again, cover every short node, every node near the top of the walk and a
// sample of the rest.
int64_t ExpectReadableDocument(const JSONRef& document) {
  constexpr int64_t kCheckedInFull = 600;
  constexpr int64_t kSampleEvery = 499;
  constexpr int64_t kShortText = 256;
  struct Pending {
    JSONRef node;
    JSONRef parent;
  };
  std::vector<Pending> pending;
  pending.push_back({document, nullptr});
  int64_t visited = 0;
  while (!pending.empty()) {
    const Pending item = std::move(pending.back());
    pending.pop_back();
    const JSONRef& node = item.node;
    ExpectReadableNode(node, item.parent);
    const int64_t length = int64_t{node->GetTextFinish()} - node->GetTextStart();
    if (visited < kCheckedInFull || visited % kSampleEvery == 0 || length <= kShortText)
      ExpectNodeContent(document, node);
    ++visited;

    for (int32_t i = node->GetCount() - 1; i >= 0; --i)
      pending.push_back({node->GetChild(i), node});
  }
  return visited;
}

fs::path ParsingCases() { return SharedData() / "JSONTestSuite" / "test_parsing"; }

// The few cases big enough to take seconds each (deeply nested ones) run as tests of their own,
// so that they run side by side with the rest.
constexpr uintmax_t kLargeCase = uintmax_t{64} * 1024;

std::vector<fs::path> ParsingCaseFiles(bool large) {
  std::vector<fs::path> files;
  std::error_code error;
  if (!fs::is_directory(ParsingCases(), error))
    return files;
  for (const fs::path& file : JsonFilesIn(ParsingCases())) {
    if ((fs::file_size(file) > kLargeCase) == large)
      files.push_back(file);
  }
  return files;
}

void ExpectLoadsAndReads(const fs::path& file) {
  SCOPED_TRACE(file.filename().string());
  const int64_t start = JSONInstanceCount;
  {
    JSONRef document;
    try {
      document = Load(file);
    } catch (const std::exception& e) {
      FAIL() << "load failed: " << e.what();
    }
    ASSERT_NE(document, nullptr);
    const int64_t live = JSONInstanceCount - start;
    EXPECT_EQ(ExpectReadableDocument(document), live) << "live nodes outside the tree";
    EXPECT_EQ(JSONInstanceCount - start, live) << "reading created or freed nodes";
  }
  EXPECT_EQ(JSONInstanceCount, start) << "nodes outlived their document";
}

TEST(TestSuiteFiles, EveryParsingCaseLoadsAndEveryNodeReads) {
  if (!fs::is_directory(ParsingCases()))
    GTEST_SKIP() << ParsingCases() << " not found";
  const std::vector<fs::path> files = ParsingCaseFiles(false);
  ASSERT_FALSE(files.empty());
  for (const fs::path& file : files)
    ExpectLoadsAndReads(file);
}

class LargeParsingCase : public testing::TestWithParam<fs::path> {};
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(LargeParsingCase);

TEST_P(LargeParsingCase, LoadsAndEveryNodeReads) { ExpectLoadsAndReads(GetParam()); }

INSTANTIATE_TEST_SUITE_P(TestSuiteFiles, LargeParsingCase,
                         testing::ValuesIn(ParsingCaseFiles(true)),
                         [](const testing::TestParamInfo<fs::path>& info) {
                           std::string name = info.param.stem().string();
                           for (char& c : name) {
                             if (!std::isalnum(static_cast<unsigned char>(c)))
                               c = '_';
                           }
                           return name;
                         });

// --- the benchmark documents ---------------------------------------------------------------

struct Member {
  std::u16string name;
  TJSONType type;
  int32_t count; // children of an object or array
};

struct KnownDocument {
  const char* file;
  TJSONType type;
  int32_t count;
  int64_t nodes; // every value of the document, the top-level value included
  std::vector<Member> members;
};

// Facts read off the documents with an independent JSON reader (Python's json module).
std::vector<KnownDocument> KnownDocuments() {
  return {
      {"twitter.json",
       jt_object,
       2,
       13914,
       {{u"statuses", jt_array, 100}, {u"search_metadata", jt_object, 9}}},
      {"canada.json", jt_object, 2, 167179, {{u"type", jt_string, 0}, {u"features", jt_array, 1}}},
      {"citm_catalog.json",
       jt_object,
       11,
       37778,
       {{u"areaNames", jt_object, 17},
        {u"events", jt_object, 184},
        {u"performances", jt_array, 243}}},
      {"github_events.json", jt_array, 30, 1188, {}},
      {"gsoc-2018.json", jt_object, 1264, 18961, {{u"0", jt_object, 6}}},
      {"instruments.json",
       jt_object,
       9,
       7205,
       {{u"instruments", jt_array, 63}, {u"patterns", jt_array, 240}, {u"samples", jt_array, 70}}},
      {"marine_ik.json",
       jt_object,
       7,
       283333,
       {{u"geometries", jt_array, 1}, {u"metadata", jt_object, 4}}},
      {"mesh.json",
       jt_object,
       8,
       76626,
       {{u"positions", jt_array, 10800},
        {u"indices", jt_array, 33408},
        {u"morphTargets", jt_object, 0}}},
      {"update-center.json",
       jt_object,
       6,
       16729,
       {{u"plugins", jt_object, 654}, {u"core", jt_object, 5}, {u"id", jt_string, 0}}},
  };
}

int64_t CountNodes(const JSONRef& root) {
  int64_t count = 0;
  std::vector<const TJSONObject*> pending{&Node(root)};
  while (!pending.empty()) {
    const TJSONObject* node = pending.back();
    pending.pop_back();
    ++count;
    for (const TJSONObject* child : node->GetAsList())
      pending.push_back(child);
  }
  return count;
}

JSONRef MemberNamed(const JSONRef& object, const std::u16string& name) {
  for (int32_t i = 0; i < object->GetCount(); ++i) {
    JSONRef child = object->GetChild(i);
    if (child->GetName() == name)
      return child;
  }
  return nullptr;
}

TEST(TestSuiteFiles, BenchmarkDocumentsHaveTheirKnownStructure) {
  const fs::path folder = SharedData() / "json";
  if (!fs::is_directory(folder))
    GTEST_SKIP() << folder << " not found";

  const int64_t start = JSONInstanceCount;
  for (const KnownDocument& known : KnownDocuments()) {
    SCOPED_TRACE(known.file);
    const fs::path path = folder / known.file;
    if (!fs::exists(path)) {
      ADD_FAILURE() << path << " is missing";
      continue;
    }
    {
      const JSONRef document = Load(path);
      EXPECT_EQ(document->GetJType(), known.type);
      EXPECT_EQ(document->GetCount(), known.count);
      EXPECT_EQ(CountNodes(document), known.nodes);
      EXPECT_EQ(JSONInstanceCount - start, known.nodes);
      for (const Member& member : known.members) {
        SCOPED_TRACE(ujson::Utf16ToUtf8(member.name));
        const JSONRef node = MemberNamed(document, member.name);
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(node->GetJType(), member.type);
        EXPECT_EQ(node->GetCount(), member.count);
      }
    }
    EXPECT_EQ(JSONInstanceCount, start);
  }
}

TEST(TestSuiteFiles, BenchmarkDocumentsReadTheirValues) {
  const fs::path folder = SharedData() / "json";
  if (!fs::is_directory(folder))
    GTEST_SKIP() << folder << " not found";

  {
    const JSONRef twitter = Load(folder / "twitter.json");
    const JSONRef statuses = MemberNamed(twitter, u"statuses");
    ASSERT_NE(statuses, nullptr);
    ASSERT_EQ(statuses->GetCount(), 100);
    const JSONRef first = statuses->GetChild(0);
    const JSONRef id = MemberNamed(first, u"id");
    ASSERT_NE(id, nullptr);
    // Above 2^53: read exactly as a 64-bit integer.
    EXPECT_EQ(id->GetAsInt64(), INT64_C(505874924095815681));
    EXPECT_EQ(MemberNamed(first, u"id_str")->GetAsString(), u"505874924095815681");
    EXPECT_EQ(MemberNamed(first, u"created_at")->GetAsString(), u"Sun Aug 31 00:29:15 +0000 2014");
    const JSONRef metadata = MemberNamed(twitter, u"search_metadata");
    ASSERT_NE(metadata, nullptr);
    EXPECT_EQ(MemberNamed(metadata, u"count")->GetAsInt(), 100);
    EXPECT_EQ(MemberNamed(metadata, u"query")->GetAsString(), u"%E4%B8%80");
  }
  {
    const JSONRef canada = Load(folder / "canada.json");
    EXPECT_EQ(MemberNamed(canada, u"type")->GetAsString(), u"FeatureCollection");
  }
  {
    const JSONRef updates = Load(folder / "update-center.json");
    EXPECT_EQ(MemberNamed(updates, u"connectionCheckUrl")->GetAsString(),
              u"http://www.google.com/");
    EXPECT_EQ(MemberNamed(updates, u"updateCenterVersion")->GetAsInt(), 1);
  }
}

} // namespace
