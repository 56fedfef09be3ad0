// libFuzzer harness for loading: the input bytes are loaded as a file with JSONFromFile (byte-order
// mark, UTF-8 and ANSI decoding, normalisation, parse) and, read as UTF-16LE, as a text with
// JSONFromString. Every node of each document is then read in every way a viewer reads it.
//
// Any crash, sanitizer report, uncaught exception other than EJSONError from a load, leaked
// node, or broken invariant of FindByPosition/Find aborts the run.
//
// Built and run by fuzz/build.sh and fuzz/run.sh (clang, -fsanitize=fuzzer,address,undefined).

#include "json/UJSON.h"
#include "json/UnicodeConversion.h"

#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "load_fuzzer: %s\n", what);
  std::abort();
}

void Check(bool condition, const char* what) {
  if (!condition)
    Fail(what);
}

// One file per process, so parallel fuzzing jobs never share it; removed when the process ends.
// A plain buffer: it must outlive the exit handler that removes the file.
char gTemporaryFile[4096];

const char* TemporaryFileName() {
  if (gTemporaryFile[0] == '\0') {
    const char* folder = std::getenv("TMPDIR");
    if (folder == nullptr || *folder == '\0')
      folder = "/tmp";
    std::snprintf(gTemporaryFile, sizeof gTemporaryFile, "%s/treskal-load-fuzzer-%ld.json", folder,
                  static_cast<long>(::getpid()));
    std::atexit([] { std::remove(gTemporaryFile); });
  }
  return gTemporaryFile;
}

void WriteFile(const char* name, const uint8_t* data, size_t size) {
  std::FILE* file = std::fopen(name, "wb");
  if (file == nullptr)
    Fail("cannot create the temporary file");
  if (size > 0 && std::fwrite(data, 1, size, file) != size)
    Fail("cannot write the temporary file");
  if (std::fclose(file) != 0)
    Fail("cannot write the temporary file");
}

bool Holds(const IJSONObject& node, int32_t position) {
  return node.GetTextStart() != 0 && node.GetTextStart() <= position &&
         position <= node.GetTextFinish();
}

bool IsInSubtree(const IJSONObject* node, const IJSONObject* root) {
  // Parent links go up to the document, whose parent is none; the depth bounds the steps.
  for (int32_t steps = 0; node != nullptr && steps <= 200000; ++steps) {
    if (node == root)
      return true;
    node = node->GetParent().get();
  }
  return false;
}

// FindByPosition's contract: none outside the node's text range; inside it, a node of the
// subtree that holds the position.
void CheckFindByPosition(const IJSONObject& node, int32_t position) {
  const JSONRef hit = node.FindByPosition(position);
  if (!Holds(node, position)) {
    Check(hit == nullptr, "FindByPosition found a node outside the text range");
    return;
  }
  Check(hit != nullptr, "FindByPosition found nothing inside the text range");
  Check(Holds(*hit, position), "FindByPosition returned a node that does not hold the position");
  Check(IsInSubtree(hit.get(), &node), "FindByPosition left the subtree");
}

// Find's contract, checked against a plain search of the document text: the first occurrence
// that begins AStartIndex (at least 0) characters or more into the node's text range and ends
// before its last character, both ends clipped to the text; the result is FindByPosition of its
// first character.
void CheckFind(const IJSONObject& node, std::u16string_view needle, int32_t startIndex) {
  const JSONRef hit = node.Find(needle, startIndex);
  const std::u16string& text = static_cast<const TJSONObject&>(node).Owner()->FText;
  const int64_t start = node.GetTextStart();
  const int64_t finish = node.GetTextFinish();
  const int64_t offset = std::max(startIndex, 0);
  JSONRef expected;
  if (!needle.empty() && offset < finish - start) {
    const int64_t first = std::max<int64_t>(start + offset, 1);
    const int64_t last = std::min<int64_t>(finish - 1, static_cast<int64_t>(text.size()));
    const auto length = static_cast<int64_t>(needle.size());
    for (int64_t p = first; p + length - 1 <= last; ++p) {
      if (std::equal(needle.begin(), needle.end(), text.begin() + (p - 1))) {
        expected = node.FindByPosition(static_cast<int32_t>(p));
        break;
      }
    }
  }
  Check(hit == expected, "Find differs from a plain search of the text");
}

// Cheap deterministic choices derived from the input.
struct Picker {
  uint64_t state;
  uint64_t Next() {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return state >> 33;
  }
  size_t Below(size_t bound) { return bound == 0 ? 0 : static_cast<size_t>(Next() % bound); }
};

uint64_t Seed(const uint8_t* data, size_t size) {
  uint64_t hash = 1469598103934665603ULL;
  for (size_t i = 0; i < size; ++i)
    hash = (hash ^ data[i]) * 1099511628211ULL;
  return hash;
}

std::vector<std::u16string> Needles(std::u16string_view source, Picker& picker) {
  std::vector<std::u16string> needles = {u"\"", u":", u",", u"{", u"]", u" ", u"\\"};
  for (int i = 0; i < 4 && !source.empty(); ++i) {
    const size_t start = picker.Below(source.size());
    const size_t length = 1 + picker.Below(std::min<size_t>(16, source.size() - start));
    needles.emplace_back(source.substr(start, length));
  }
  return needles;
}

void ReadNode(const IJSONObject& node) {
  // The results only have to exist; volatile keeps the calls from being dropped.
  volatile size_t sink = 0;
  sink = sink + node.GetName().size();
  sink = sink + node.GetValue().size();
  sink = sink + node.GetText().size();
  sink = sink + node.GetAsString().size();
  sink = sink + static_cast<size_t>(node.GetAsInt());
  sink = sink + static_cast<size_t>(node.GetAsInt64());
  const double d = node.GetAsDouble();
  sink = sink + (d == d ? 1u : 0u);
  sink = sink + (node.GetAsBoolean() ? 1u : 0u);
  sink = sink + node.GetJType();
  sink = sink + static_cast<size_t>(node.GetIsGenerating());
}

// `before` is the live count before the document was loaded.
void Explore(const JSONRef& document, int64_t before, std::u16string_view source, Picker& picker) {
  const int64_t live = JSONInstanceCount;
  const std::vector<std::u16string> needles = Needles(source, picker);
  const int32_t documentFinish = document->GetTextFinish();

  std::vector<JSONRef> pending{document};
  int64_t visited = 0;
  while (!pending.empty()) {
    const JSONRef node = std::move(pending.back());
    pending.pop_back();
    ++visited;
    ReadNode(*node);

    const int32_t start = node->GetTextStart();
    const int32_t finish = node->GetTextFinish();
    // FindByPosition descends the subtree and Find scans the node's text, so a deep or long
    // document would make checking every node quadratic: all nodes near the top are checked,
    // then a sample, to keep each input fast.
    if (visited <= 64 || picker.Below(16) == 0) {
      for (const int32_t position : {start, finish, start + (finish - start) / 2, start - 1,
                                     finish + 1, 0, -1, documentFinish + 1}) {
        CheckFindByPosition(*node, position);
      }
      const std::u16string& needle = needles[picker.Below(needles.size())];
      for (const int32_t startIndex :
           {-1, 0, 1, static_cast<int32_t>(picker.Below(static_cast<size_t>(finish - start) + 2))})
        CheckFind(*node, needle, startIndex);
    } else {
      (void)node->FindByPosition(start);
      (void)node->Find(needles[0], 0);
    }
    CheckFind(*node, u"", 0);

    const int32_t count = node->GetCount();
    Check(count == node->GetAsList().Count(), "GetCount differs from the list");
    for (const int32_t index : {-1, count}) {
      try {
        (void)node->GetChild(index);
        Fail("GetChild accepted an index out of range");
      } catch (const std::out_of_range& e) {
        Check(std::strcmp(e.what(), "Argument out of range") == 0, "GetChild: wrong message");
      }
    }
    for (int32_t i = count - 1; i >= 0; --i) {
      JSONRef child = node->GetChild(i);
      Check(child->GetParent() == node, "a child's parent is not its node");
      Check(child->GetLevel() == node->GetLevel() + 1, "a child's level is not its parent's + 1");
      pending.push_back(std::move(child));
    }
  }
  Check(JSONInstanceCount == live, "reading created or freed nodes");
  Check(live - before == visited, "live nodes that are not in the tree");
}

template <class Load>
void LoadAndExplore(const Load& load, std::u16string_view source, Picker& picker) {
  const int64_t before = JSONInstanceCount;
  {
    JSONRef document;
    try {
      document = load();
    } catch (const EJSONError&) {
      // A load may refuse a document (too deep, too long); that is no fault.
    }
    Check(JSONInstanceCount >= before, "the live count went below its start");
    if (document != nullptr)
      Explore(document, before, source, picker);
  }
  Check(JSONInstanceCount == before, "nodes were leaked or freed twice");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Picker picker{Seed(data, size)};
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  // Substrings to search for come from the text as a viewer would show it.
  const std::u16string asUtf8 = ujson::Utf8ToUtf16(bytes);

  const char* name = TemporaryFileName();
  WriteFile(name, data, size);
  const std::u16string fileName = ujson::Utf8ToUtf16(name);
  LoadAndExplore([&fileName] { return JSONFromFile(fileName); }, asUtf8, picker);

  std::u16string utf16(size / 2, u'\0');
  for (size_t i = 0; i < utf16.size(); ++i)
    utf16[i] = static_cast<char16_t>(data[2 * i] | data[2 * i + 1] << 8);
  LoadAndExplore([&utf16] { return JSONFromString(utf16); }, utf16, picker);
  return 0;
}
