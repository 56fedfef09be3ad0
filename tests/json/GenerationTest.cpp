#include "NodeAccess.h"

#include "json/JSONGeneration.h"
#include "json/Regional.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

const std::u16string& TextOf(const JSONRef& node) { return Node(node).Owner()->FText; }

std::u16string ArrayText(const std::vector<TJSONValue>& values) {
  return TextOf(JSONArrayOf(values));
}

// Restores the regional settings a test selects.
class RegionalGuard {
public:
  RegionalGuard() : codePage_(ujson::AnsiCodePage()), separator_(ujson::DecimalSeparator()) {}
  RegionalGuard(const RegionalGuard&) = delete;
  RegionalGuard& operator=(const RegionalGuard&) = delete;
  ~RegionalGuard() {
    ujson::SelectAnsiCodePage(codePage_);
    ujson::SelectDecimalSeparator(separator_);
  }

private:
  uint32_t codePage_;
  char16_t separator_;
};

// Runs the test in a fresh directory of its own, since Debud writes to the current one.
class InScratchDirectory {
public:
  InScratchDirectory()
      : previous_(std::filesystem::current_path()),
        directory_(std::filesystem::temp_directory_path() /
                   ("treskal-debud-" + std::to_string(::getpid()))) {
    std::filesystem::remove_all(directory_);
    std::filesystem::create_directories(directory_);
    std::filesystem::current_path(directory_);
  }
  InScratchDirectory(const InScratchDirectory&) = delete;
  InScratchDirectory& operator=(const InScratchDirectory&) = delete;
  ~InScratchDirectory() {
    std::filesystem::current_path(previous_);
    std::filesystem::remove_all(directory_);
  }
  const std::filesystem::path& Path() const { return directory_; }

private:
  std::filesystem::path previous_;
  std::filesystem::path directory_;
};

std::string FileBytes(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(NewJSONObject, GivesAnEmptyObjectInGeneratingMode) {
  JSONRef doc = NewJSONObject();
  EXPECT_EQ(doc->GetText(), u"{}");
  EXPECT_EQ(doc->GetJType(), jt_object);
  EXPECT_EQ(doc->GetCount(), 0);
  EXPECT_TRUE(doc->GetIsGenerating());
  doc->GetChildByName(u"x");
  EXPECT_EQ(TextOf(doc), u"{\"x\":null}");
}

TEST(JSONArrayOf, PutsOneArrayIntoTheObjectAndAnElementPerEntryIntoIt) {
  JSONRef empty = JSONArrayOf({});
  EXPECT_EQ(TextOf(empty), u"{[]}");
  ASSERT_EQ(empty->GetCount(), 1);
  EXPECT_EQ(empty->GetChild(0)->GetJType(), jt_array);
  EXPECT_EQ(empty->GetChild(0)->GetCount(), 0);
  EXPECT_TRUE(empty->GetIsGenerating());

  JSONRef doc = JSONArrayOf({TJSONValue::UnicodeString(u"sdfsdf"), TJSONValue::Integer(234234),
                             TJSONValue::Float(3.546), TJSONValue::WideChar(u's'),
                             // A made-up address: only its digits are written.
                             // NOLINTNEXTLINE(performance-no-int-to-ptr)
                             TJSONValue::Object(reinterpret_cast<void*>(uintptr_t{255}))});
  EXPECT_EQ(TextOf(doc), u"{[\"sdfsdf\",234234,3.546,\"s\",$000000FF]}");
  JSONRef array = doc->GetChild(0);
  ASSERT_EQ(array->GetCount(), 5);
  EXPECT_EQ(array->GetChild(0)->GetValue(), u"sdfsdf");
  EXPECT_EQ(array->GetChild(4)->GetValue(), u"$000000FF");
  EXPECT_EQ(array->GetChild(4)->GetAsInt(), 255);
}

TEST(JSONArrayOf, WritesBooleansIntegersAndNumbersInTheLibrarysOwnForms) {
  RegionalGuard guard;
  ujson::SelectDecimalSeparator(u',');
  EXPECT_EQ(ArrayText({TJSONValue::Boolean(true), TJSONValue::Boolean(false)}), u"{[True,False]}");
  EXPECT_EQ(ArrayText({TJSONValue::Int64(INT64_MIN), TJSONValue::Integer(-5)}),
            u"{[-9223372036854775808,-5]}");
  EXPECT_EQ(ArrayText({TJSONValue::Float(1e20), TJSONValue::Float(0.00001)}), u"{[1E20,1E-5]}");
  EXPECT_EQ(ArrayText({TJSONValue::Currency(125000), TJSONValue::Float(0.5)}), u"{[12.5,0.5]}");
}

TEST(JSONArrayOf, DecodesByteCharactersAndStringsWithTheAnsiCodePage) {
  RegionalGuard guard;
  ujson::SelectAnsiCodePage(1252);
  EXPECT_EQ(ArrayText({TJSONValue::AnsiChar('\x80'), TJSONValue::AnsiString("caf\xE9")}),
            u"{[\"€\",\"café\"]}");
  ujson::SelectAnsiCodePage(1251);
  EXPECT_EQ(ArrayText({TJSONValue::ShortAnsiString("\xC0\xE1"), TJSONValue::AnsiCString("\xDF")}),
            u"{[\"Аб\",\"Я\"]}");

  // Short and zero-terminated byte strings stop at 255 bytes.
  const std::string bytes(300, 'x');
  EXPECT_EQ(TJSONValue::ShortAnsiString(bytes).Text(), u"\"" + std::u16string(255, u'x') + u"\"");
  EXPECT_EQ(TJSONValue::AnsiCString(bytes.c_str()).Text(),
            u"\"" + std::u16string(255, u'x') + u"\"");
  EXPECT_EQ(TJSONValue::AnsiString(bytes).Text(), u"\"" + std::u16string(300, u'x') + u"\"");
  EXPECT_EQ(TJSONValue::AnsiCString(nullptr).Text(), u"\"\"");
  EXPECT_EQ(TJSONValue::WideCString(nullptr).Text(), u"\"\"");
  EXPECT_EQ(TJSONValue::WideCString(u"wide").Text(), u"\"wide\"");
  EXPECT_EQ(TJSONValue::CountedString(u"counted").Text(), u"\"counted\"");
}

TEST(JSONArrayOf, WritesTheLowHalfOfReferencesAsEightHexadecimalDigits) {
  // A made-up address: only its digits are written.
  // NOLINTNEXTLINE(performance-no-int-to-ptr)
  const void* address = reinterpret_cast<const void*>(uintptr_t{0x123456789ABCDEF0});
  EXPECT_EQ(TJSONValue::Pointer(address).Text(), u"$9ABCDEF0");
  EXPECT_EQ(TJSONValue::Class(address).Text(), u"$9ABCDEF0");
  EXPECT_EQ(TJSONValue::Interface(address).Text(), u"9ABCDEF0");
  EXPECT_EQ(TJSONValue::Pointer(nullptr).Text(), u"$00000000");
}

TEST(JSONArrayOf, WritesVariantValuesWithoutQuotationMarks) {
  EXPECT_EQ(ArrayText({TJSONValue::Variant({}), TJSONValue::Variant(nullptr),
                       TJSONValue::Variant(true), TJSONValue::Variant(int64_t{-7}),
                       TJSONValue::Variant(2.25), TJSONValue::Variant(u"word")}),
            u"{[null,null,True,-7,2.25,word]}");
}

TEST(JSONArrayOf, KeepsTheTextOfStringEntriesAndEscapesNothing) {
  JSONRef doc = JSONArrayOf({TJSONValue::UnicodeString(u"a  b\tc\r\nd"),
                             TJSONValue::UnicodeString(u"q\"x"), TJSONValue::Integer(1)});
  EXPECT_EQ(TextOf(doc), u"{[\"a  b\tc\r\nd\",\"q\"x\",1]}");
  EXPECT_EQ(doc->GetChild(0)->GetChild(0)->GetValue(), u"a  b\tc\r\nd");
}

TEST(TJSONValue, EachConstructorCarriesTheCodeOfItsKind) {
  const int dummy = 0;
  const TJSONValue values[] = {TJSONValue::Integer(1),
                               TJSONValue::Boolean(true),
                               TJSONValue::AnsiChar('a'),
                               TJSONValue::Float(1),
                               TJSONValue::ShortAnsiString(""),
                               TJSONValue::Pointer(&dummy),
                               TJSONValue::AnsiCString(""),
                               TJSONValue::Object(&dummy),
                               TJSONValue::Class(&dummy),
                               TJSONValue::WideChar(u'a'),
                               TJSONValue::WideCString(u""),
                               TJSONValue::AnsiString(""),
                               TJSONValue::Currency(1),
                               TJSONValue::Variant({}),
                               TJSONValue::Interface(&dummy),
                               TJSONValue::UnicodeString(u""),
                               TJSONValue::Int64(1),
                               TJSONValue::CountedString(u"")};
  for (int code = 0; code < static_cast<int>(std::size(values)); ++code)
    EXPECT_EQ(values[code].Kind(), code);
  EXPECT_EQ(TJSONValue::Currency(1).Text(), u"0.0001");
  EXPECT_EQ(TJSONValue::Int64(1).Text(), u"1");
}

TEST(Debud, WritesTheNodesTextInTheAnsiCodePageAndReplacesTheFile) {
  RegionalGuard guard;
  ujson::SelectAnsiCodePage(1252);
  InScratchDirectory scratch;
  JSONRef doc = JSONFromString(u" {\"a\":[1,\"é€\"],\"b\":2} ");
  EXPECT_TRUE(doc->GetChild(0)->GetDebud());
  EXPECT_EQ(FileBytes(scratch.Path() / "ObjDebug.json"), "\"a\":[1,\"\xE9\x80\"]");
  EXPECT_TRUE(doc->GetChild(1)->GetDebud());
  EXPECT_EQ(FileBytes(scratch.Path() / "ObjDebug.json"), "\"b\":2");
  EXPECT_EQ(TextOf(doc), u" {\"a\":[1,\"é€\"],\"b\":2} ");
}

TEST(Debud, ReportsAFileThatCannotBeCreatedWithItsPathAndTheReason) {
  InScratchDirectory scratch;
  std::filesystem::create_directory(scratch.Path() / "ObjDebug.json");
  JSONRef doc = JSONFromString(u"[1]");
  try {
    doc->GetDebud();
    ADD_FAILURE() << "no failure";
  } catch (const EJSONError& e) {
    EXPECT_EQ(std::string(e.what()),
              "Cannot create file \"" +
                  (std::filesystem::current_path() / "ObjDebug.json").lexically_normal().string() +
                  "\". Is a directory");
  }
}

} // namespace
