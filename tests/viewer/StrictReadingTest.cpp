// Every name and value the library reads, and every label and copy the viewer makes of them,
// held against a strict JSON reader (Python's json module, run by strict_reading.py) over the
// JSONTestSuite's valid cases, the shared real-world documents and hand-made files.

#include "viewer/NodeCopy.h"
#include "viewer/NodeLabel.h"

#include "json/UJSON.h"

#include "PrintableText.h"
#include "TempFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// One value as the strict reader sees it. For objects and arrays Value holds the number of
// children; for numbers their text as it stands.
struct Record {
  char Kind = 0; // o a s n t f z
  bool Named = false;
  std::u16string Name;
  std::u16string Value;
  bool operator==(const Record&) const = default;
};
using Records = std::vector<Record>;

// A document's reading, or none when the reader refused the text.
using Reading = std::optional<Records>;

std::u16string Ascii(const std::string& text) { return {text.begin(), text.end()}; }

std::u16string DecodeUnits(std::string_view text) {
  std::u16string out;
  for (size_t k = 0; k < text.size(); ++k) {
    if (text[k] != '%') {
      out += static_cast<char16_t>(text[k]);
      continue;
    }
    out += static_cast<char16_t>(std::stoul(std::string(text.substr(k + 1, 4)), nullptr, 16));
    k += 4;
  }
  return out;
}

struct Entry {
  char Mode; // F: a file name, C: a copied text
  std::string Payload;
};

std::string Utf16Bytes(std::u16string_view text) {
  std::string bytes;
  bytes.reserve(text.size() * 2);
  for (const char16_t c : text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

bool HavePython() { return std::system("python3 -c 'import json' >/dev/null 2>&1") == 0; }

// Runs the strict reader over all entries at once: one process, however many documents.
std::vector<Reading> ReadStrictly(const std::vector<Entry>& entries) {
  std::string bundle;
  for (const Entry& entry : entries) {
    bundle += entry.Mode;
    const auto size = static_cast<uint32_t>(entry.Payload.size());
    for (int shift = 0; shift < 32; shift += 8)
      bundle += static_cast<char>((size >> shift) & 0xFF);
    bundle += entry.Payload;
  }
  const TempFile input(".bundle", bundle);
  const TempFile output(".records", "");
  const std::string script = TRESKAL_SOURCE_DIR "/tests/viewer/strict_reading.py";
  const std::string command =
      "python3 '" + script + "' '" + input.Path() + "' '" + output.Path() + "'";
  if (std::system(command.c_str()) != 0) {
    ADD_FAILURE() << "the strict reader failed: " << command;
    return {};
  }
  std::vector<Reading> readings;
  std::ifstream lines(output.Path());
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("= ", 0) == 0) {
      readings.emplace_back(Records{});
      continue;
    }
    if (readings.empty())
      break;
    if (line.rfind("! ", 0) == 0) {
      readings.back().reset();
      continue;
    }
    const size_t nameEnd = line.find(' ', 2);
    Record record;
    record.Kind = line[0];
    record.Named = line[2] == '=';
    if (record.Named)
      record.Name = DecodeUnits(std::string_view(line).substr(3, nameEnd - 3));
    record.Value = DecodeUnits(std::string_view(line).substr(nameEnd + 1));
    readings.back()->push_back(std::move(record));
  }
  EXPECT_EQ(readings.size(), entries.size());
  return readings;
}

// The value text a record stands for, as Copy value gives it (scalars only).
std::u16string ScalarText(const Record& record) {
  switch (record.Kind) {
  case 't':
    return u"true";
  case 'f':
    return u"false";
  case 'z':
    return u"null";
  default:
    return record.Value;
  }
}

// The label the viewer must show for a value, built from the strict reading: on one line, each
// control character as its JSON escape.
std::u16string ExpectedLabel(const Record& record) {
  std::u16string label = record.Name;
  switch (record.Kind) {
  case 'o':
    label += u" {} (" + record.Value + u")";
    break;
  case 'a':
    label += u" [] (" + record.Value + u")";
    break;
  case 's':
    // A string is quoted wherever it stands; " : " stands only after a name that is not empty.
    if (!label.empty())
      label += u" : ";
    label += u"\"" + record.Value + u"\"";
    break;
  default:
    if (!label.empty())
      label += u" : ";
    label += ScalarText(record);
  }
  std::u16string shown;
  for (const char16_t c : label) {
    static constexpr char16_t Short[] = u"btn\0fr";
    if (c >= u' ') {
      shown += c;
    } else if (c >= u'\b' && c <= u'\r' && c != 11) {
      shown += {u'\\', Short[c - u'\b']};
    } else {
      static constexpr char16_t Hex[] = u"0123456789ABCDEF";
      shown += {u'\\', u'u', u'0', u'0', Hex[c >> 4], Hex[c & 15]};
    }
  }
  // A long label keeps its first characters, never half a surrogate pair, and an ellipsis.
  if (shown.size() > kMaxLabelLength) {
    std::size_t kept = kMaxLabelLength;
    if (shown[kept - 1] >= 0xD800 && shown[kept - 1] <= 0xDBFF)
      --kept;
    shown.resize(kept);
    shown += u'\u2026';
  }
  return shown;
}

// A copy to be read strictly in a second round, and what that reading must give: the records
// First .. First + Count of its document, below the wrapper record when one is put around it.
struct CopyCheck {
  std::string Where;
  size_t Document;
  size_t First;
  size_t Count;
  std::optional<Record> Wrapper;
  bool DropName = false;
};

// Walks the library's tree in document order beside the strict reading.
class TreeComparison {
public:
  TreeComparison(std::string Document, const Records& Expected, size_t Index, bool CheckCopies,
                 std::vector<Entry>* Copies, std::vector<CopyCheck>* Checks)
      : document_(std::move(Document)), expected_(Expected), index_(Index),
        checkCopies_(CheckCopies), copies_(Copies), checks_(Checks) {}

  // True when every node equals its record and the tree has no node more or less.
  bool Run(const JSONRef& Root) {
    if (checkCopies_ || copies_ != nullptr)
      AddCopy("document", NodeJsonText(*Root), 0, std::nullopt, false);
    if (!Visit(Root, nullptr, 0))
      return false;
    if (next_ != expected_.size())
      return Fail("document", "the library has fewer values than the strict reading");
    return true;
  }

  size_t Compared() const { return next_; }

private:
  bool Fail(const std::string& where, const std::string& what) {
    ADD_FAILURE() << document_ << " at " << where << ": " << what;
    return false;
  }

  void AddCopy(const std::string& where, const std::u16string& text, size_t first,
               std::optional<Record> wrapper, bool dropName) {
    if (copies_ == nullptr)
      return;
    size_t count = 1;
    for (size_t open = 1; open > 0; ++count) {
      --open;
      const Record& record = expected_[first + count - 1];
      if (record.Kind == 'o' || record.Kind == 'a')
        open += std::stoul(std::string(record.Value.begin(), record.Value.end()));
    }
    --count;
    std::u16string wrapped = text;
    if (wrapper)
      wrapped = (wrapper->Kind == 'o' ? u"{" : u"[") + text + (wrapper->Kind == 'o' ? u"}" : u"]");
    copies_->push_back({'C', Utf16Bytes(wrapped)});
    checks_->push_back({document_ + " " + where, index_, first, count, wrapper, dropName});
  }

  bool Visit(const JSONRef& node, IJSONObject* parent, int32_t indexInParent) {
    const std::string where = "value " + std::to_string(next_);
    if (next_ >= expected_.size())
      return Fail(where, "the library has more values than the strict reading");
    const size_t first = next_;
    const Record& record = expected_[next_++];
    const bool container = record.Kind == 'o' || record.Kind == 'a';
    const TJSONType kind = record.Kind == 'o'                   ? jt_object
                           : record.Kind == 'a'                 ? jt_array
                           : record.Kind == 's' && record.Named ? jt_string
                                                                : jt_variant;
    if (node->GetJType() != kind)
      return Fail(where, "kind " + std::to_string(node->GetJType()) + ", expected " +
                             std::string(1, record.Kind) + " " + Printable(record.Value));

    // Names: read through the library (escapes as they stand), copied and found by the viewer.
    const std::u16string name = NodeNameText(*node);
    if (name != record.Name)
      return Fail(where, "name " + Printable(name) + ", expected " + Printable(record.Name));
    if (record.Named && indexInParent < 64) {
      const JSONRef found = parent->GetChildByName(node->GetName());
      const bool sameOrEarlier =
          found.get() == node.get() ||
          std::any_of(parent->GetAsList().begin(), parent->GetAsList().begin() + indexInParent,
                      [&](const TJSONObject* sibling) {
                        return static_cast<const IJSONObject*>(sibling) == found.get();
                      });
      if (!sameOrEarlier)
        return Fail(where, "GetChildByName does not find " + Printable(record.Name));
    }
    if (parent != nullptr && indexInParent < 64 &&
        parent->FindByPosition(node->GetTextStart()).get() != node.get())
      return Fail(where, "FindByPosition of its first character finds another node");

    // Values: read, shown and copied.
    if (container) {
      if (Ascii(std::to_string(node->GetCount())) != record.Value)
        return Fail(where, "count " + std::to_string(node->GetCount()) + ", expected " +
                               Printable(record.Value));
    } else if (record.Kind == 's') {
      if (node->GetAsString() != record.Value)
        return Fail(where, "AsString " + Printable(node->GetAsString()) + ", expected " +
                               Printable(record.Value));
    } else if (node->GetValue() != ScalarText(record)) {
      return Fail(where, "Value " + Printable(node->GetValue()) + ", expected " +
                             Printable(ScalarText(record)));
    }
    if (!container && NodeValueText(*node) != ScalarText(record))
      return Fail(where, "Copy value " + Printable(NodeValueText(*node)) + ", expected " +
                             Printable(ScalarText(record)));
    if (const std::u16string label = NodeLabel(*node).Text; label != ExpectedLabel(record))
      return Fail(where,
                  "label " + Printable(label) + ", expected " + Printable(ExpectedLabel(record)));

    if (checkCopies_ && parent != nullptr) {
      const Record wrapper{record.Named ? 'o' : 'a', false, {}, u"1"};
      AddCopy(where + " Copy JSON", NodeJsonText(*node), first, wrapper, false);
      if (container)
        AddCopy(where + " Copy value", NodeValueText(*node), first, std::nullopt, true);
    }

    for (int32_t k = 0; k < node->GetCount(); ++k) {
      if (!Visit(node->GetChild(k), node.get(), k))
        return false;
    }
    return true;
  }

  std::string document_;
  const Records& expected_;
  size_t index_;
  bool checkCopies_;
  std::vector<Entry>* copies_;
  std::vector<CopyCheck>* checks_;
  size_t next_ = 0;
};

struct Document {
  std::string Label;
  std::string Path;
};

std::vector<Document> SharedDocuments() {
  std::vector<Document> documents;
  const fs::path data(TRESKAL_SHARED_DATA_DIR);
  for (const char* folder : {"JSONTestSuite/test_parsing", "json"}) {
    std::error_code error;
    for (const auto& file : fs::directory_iterator(data / folder, error)) {
      const std::string name = file.path().filename().string();
      if (name.ends_with(".json") && (std::string(folder) == "json" || name.starts_with("y_")))
        documents.push_back({name, file.path().string()});
    }
  }
  std::sort(documents.begin(), documents.end(),
            [](const Document& a, const Document& b) { return a.Path < b.Path; });
  return documents;
}

std::string Utf16LeWithMark(const std::string& ascii) {
  std::string bytes = "\xFF\xFE";
  for (const char c : ascii)
    bytes += {c, '\0'};
  return bytes;
}

std::string Utf16BeWithMark(const std::string& ascii) {
  std::string bytes = "\xFE\xFF";
  for (const char c : ascii)
    bytes += {'\0', c};
  return bytes;
}

// Files for each way a valid document used to come out changed.
std::vector<std::pair<std::string, std::string>> HandMadeFiles() {
  const std::string spaces = R"({"b":"x  y","tweet":"two  spaces   three","art":"  /\\_/\\  "})";
  std::vector<std::pair<std::string, std::string>> files = {
      {"spaces", spaces},
      {"trimmed", R"(["   lead", "trail  ", " ", "  both  ", ""])"},
      {"names with spaces", R"({" sp ": 1, "a b": "c  d", "   ": 2, "": 3, "sp ": 4})"},
      {"control escapes", R"(["\u0000", "\u0012", "a\u0000b", "\u001F", " \u0001 ", "\n", "\t "])"},
      {"control names", R"({"\u0000": 1, "\t": 2, "x\ny": [true]})"},
      {"escaped backslashes before u",
       R"(["\\u0000", "\\\\u0041", "\\\u0041", "c:\\dir\\", "C:\\Users\\x", "\\U0041", "\\\\"])"},
      {"decoded quote and backslash", R"({"c":"\u0022q\u0022","d":"\u005Cu0041","e":"\u005C"})"},
      {"escaped names", R"({"a\"b": 1, "c\\d": 2, "e\/f": 3, "\u00e9": 4, "\\u0041": 5})"},
      {"line breaks escaped", R"({"text": "line one\nline two\ttab", "crlf": "a\r\nb"})"},
      {"surrogates", "[\"\\uD83D\\uDE00\", \"\xF0\x9F\x98\x80\", \"\xC3\xA9  \xE2\x82\xAC\"]"},
      {"pretty printed",
       "{\r\n  \"a\": \"x  y\",\r\n  \"b\": [ 1, \"  \" ],\r\n\t\"c\": {}\r\n}\r\n"},
      {"number", "42"},
      {"zero", "0"},
      {"string", R"("asd")"},
      {"string of spaces", "\n\"  \"\n"},
      {"true", "true"},
      {"null", " null "},
      {"negative fraction", "-0.1"},
      {"exponent and line break", "1e5\r\n"},
      {"empty string", R"("")"},
      {"UTF-8 with a byte-order mark", "\xEF\xBB\xBF" + spaces},
      {"UTF-8 string with a byte-order mark", "\xEF\xBB\xBF\"  x  \""},
      {"UTF-16LE with a byte-order mark", Utf16LeWithMark(spaces)},
      {"UTF-16BE with a byte-order mark", Utf16BeWithMark(spaces)},
      {"UTF-16LE number with a byte-order mark", Utf16LeWithMark("7")},
  };
  return files;
}

// Writes each top-level child's own value (or unescaped text, for strings) back, so that each
// is re-parsed.
void WriteTopLevelValuesBack(const JSONRef& doc) {
  for (int32_t c = 0; c < doc->GetCount(); ++c) {
    const JSONRef child = doc->GetChild(c);
    const bool quoted = child->GetJType() == jt_string ||
                        (child->GetJType() == jt_variant && child->GetText().starts_with(u'"'));
    if (quoted)
      child->SetAsString(child->GetAsString());
    else
      child->SetValue(child->GetValue());
  }
}

// The copies, read by the strict reader with controls allowed inside strings, must give the
// records of what they were copied from.
void ExpectCopiesReadAsTheirSources(const std::vector<Reading>& readings,
                                    const std::vector<Entry>& copies,
                                    const std::vector<CopyCheck>& checks) {
  const std::vector<Reading> copyReadings = ReadStrictly(copies);
  ASSERT_EQ(copyReadings.size(), checks.size());
  size_t equalCopies = 0;
  for (size_t k = 0; k < checks.size(); ++k) {
    const CopyCheck& check = checks[k];
    if (!copyReadings[k]) {
      ADD_FAILURE() << check.Where << ": the copy is no JSON";
      continue;
    }
    const Records& source = *readings[check.Document];
    Records expected;
    if (check.Wrapper)
      expected.push_back(*check.Wrapper);
    expected.insert(expected.end(), source.begin() + static_cast<std::ptrdiff_t>(check.First),
                    source.begin() + static_cast<std::ptrdiff_t>(check.First + check.Count));
    if (check.DropName) {
      expected.front().Named = false;
      expected.front().Name.clear();
    }
    if (*copyReadings[k] == expected)
      ++equalCopies;
    else
      ADD_FAILURE() << check.Where << ": the copy reads differently";
  }
  std::cout << "[ strict  ] " << equalCopies << " of " << checks.size() << " copies equal\n";
  EXPECT_EQ(equalCopies, checks.size());
}

TEST(StrictReading, EveryNameValueLabelAndCopyEqualsTheStrictReading) {
  if (!HavePython())
    GTEST_SKIP() << "python3 with its json module is needed as the strict reader";

  std::vector<Document> documents = SharedDocuments();
  std::vector<std::unique_ptr<TempFile>> handMade;
  for (const auto& [label, bytes] : HandMadeFiles()) {
    handMade.push_back(std::make_unique<TempFile>(".json", bytes));
    documents.push_back({"hand-made " + label, handMade.back()->Path()});
  }

  std::vector<Entry> files;
  files.reserve(documents.size());
  for (const Document& document : documents)
    files.push_back({'F', document.Path});
  const std::vector<Reading> readings = ReadStrictly(files);
  ASSERT_EQ(readings.size(), documents.size());

  std::vector<Entry> copies;
  std::vector<CopyCheck> checks;
  size_t comparedDocuments = 0;
  size_t comparedValues = 0;
  for (size_t k = 0; k < documents.size(); ++k) {
    const Document& document = documents[k];
    ASSERT_TRUE(readings[k].has_value()) << document.Label << " is no valid JSON";
    const JSONRef doc = JSONFromFile(ujson::Utf8ToUtf16(document.Path));
    // Copies of every node are read back for the small documents, of the whole one for all.
    const bool small = fs::file_size(document.Path) < 70'000;
    TreeComparison comparison(document.Label, *readings[k], k, small, &copies, &checks);
    if (comparison.Run(doc))
      ++comparedDocuments;
    comparedValues += comparison.Compared();

    // Editing: writing each top-level child's own value (or unescaped text, for strings) back
    // re-parses it; the document must read the same afterwards.
    if (!small)
      continue;
    WriteTopLevelValuesBack(doc);
    TreeComparison afterEdits(document.Label + " after writing its values back", *readings[k], k,
                              false, nullptr, nullptr);
    afterEdits.Run(doc);
  }
  std::cout << "[ strict  ] " << comparedDocuments << " of " << documents.size()
            << " documents equal, " << comparedValues << " values compared\n";
  EXPECT_EQ(comparedDocuments, documents.size());
  if (fs::exists(TRESKAL_SHARED_DATA_DIR)) {
    EXPECT_GE(documents.size(), 95u + 9u + HandMadeFiles().size()) << "shared documents missing";
  }

  ExpectCopiesReadAsTheirSources(readings, copies, checks);
}

} // namespace
