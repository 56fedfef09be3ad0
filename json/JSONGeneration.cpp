#include "json/JSONGeneration.h"

#include "json/JSONDocument.h"
#include "json/NumberFormat.h"
#include "json/Regional.h"

#include <cstdio>
#include <string>
#include <utility>

namespace {

// Byte strings of this kind cannot be longer.
constexpr size_t ShortStringLength = 255;

std::u16string Quoted(std::u16string_view text) {
  std::u16string result;
  result.reserve(text.size() + 2);
  return result.append(u"\"").append(text).append(u"\"");
}

std::u16string Widen(const std::string& ascii) { return {ascii.begin(), ascii.end()}; }

std::u16string Decimal(int64_t value) { return Widen(std::to_string(value)); }

std::u16string LowHex(uintptr_t address) {
  char digits[9];
  std::snprintf(digits, sizeof digits, "%08X", static_cast<unsigned>(address & 0xFFFFFFFFu));
  return Widen(digits);
}

std::u16string BooleanText(bool value) { return value ? u"True" : u"False"; }

std::u16string VariantText(const TJSONVariant& value) {
  struct Visitor {
    std::u16string operator()(std::monostate) const { return u"null"; }
    std::u16string operator()(std::nullptr_t) const { return u"null"; }
    std::u16string operator()(bool v) const { return BooleanText(v); }
    std::u16string operator()(int64_t v) const { return Decimal(v); }
    std::u16string operator()(double v) const { return ujson::FormatGeneralNumber(v); }
    std::u16string operator()(const std::u16string& v) const { return v; }
  };
  return std::visit(Visitor{}, value);
}

uintptr_t Address(const void* value) { return reinterpret_cast<uintptr_t>(value); }

} // namespace

TJSONValue TJSONValue::Integer(int32_t value) { return {0, value}; }
TJSONValue TJSONValue::Boolean(bool value) { return {1, value}; }
TJSONValue TJSONValue::AnsiChar(char value) { return {2, value}; }
TJSONValue TJSONValue::Float(double value) { return {3, value}; }
TJSONValue TJSONValue::ShortAnsiString(std::string_view value) {
  return {4, std::string(value.substr(0, ShortStringLength))};
}
TJSONValue TJSONValue::Pointer(const void* value) { return {5, Address(value)}; }
TJSONValue TJSONValue::AnsiCString(const char* value) {
  std::string text;
  for (size_t i = 0; value != nullptr && i < ShortStringLength && value[i] != '\0'; ++i)
    text += value[i];
  return {6, std::move(text)};
}
TJSONValue TJSONValue::Object(const void* value) { return {7, Address(value)}; }
TJSONValue TJSONValue::Class(const void* value) { return {8, Address(value)}; }
TJSONValue TJSONValue::WideChar(char16_t value) { return {9, value}; }
TJSONValue TJSONValue::WideCString(const char16_t* value) {
  return {10, value != nullptr ? std::u16string(value) : std::u16string()};
}
TJSONValue TJSONValue::AnsiString(std::string_view value) { return {11, std::string(value)}; }
TJSONValue TJSONValue::Currency(int64_t tenThousandths) {
  return {12, Storage(std::in_place_type<int64_t>, tenThousandths)};
}
TJSONValue TJSONValue::Variant(TJSONVariant value) { return {13, std::move(value)}; }
TJSONValue TJSONValue::Interface(const void* value) { return {14, Address(value)}; }
TJSONValue TJSONValue::UnicodeString(std::u16string_view value) {
  return {15, std::u16string(value)};
}
TJSONValue TJSONValue::Int64(int64_t value) {
  return {16, Storage(std::in_place_type<int64_t>, value)};
}
TJSONValue TJSONValue::CountedString(std::u16string_view value) {
  return {17, std::u16string(value)};
}

std::u16string TJSONValue::Text() const {
  switch (kind_) {
  case 0:
    return Decimal(std::get<int32_t>(value_));
  case 1:
    return BooleanText(std::get<bool>(value_));
  case 2:
    return Quoted(ujson::AnsiToUtf16(std::string_view(&std::get<char>(value_), 1)));
  case 3:
    return ujson::FormatGeneralNumber(std::get<double>(value_));
  case 4:
  case 6:
  case 11:
    return Quoted(ujson::AnsiToUtf16(std::get<std::string>(value_)));
  case 5:
  case 7:
  case 8:
    return u"$" + LowHex(std::get<uintptr_t>(value_));
  case 9:
    return Quoted(std::u16string_view(&std::get<char16_t>(value_), 1));
  case 10:
  case 15:
  case 17:
    return Quoted(std::get<std::u16string>(value_));
  case 12:
    return ujson::FormatCurrency(std::get<int64_t>(value_));
  case 13:
    return VariantText(std::get<TJSONVariant>(value_));
  case 14:
    return LowHex(std::get<uintptr_t>(value_));
  case 16:
    return Decimal(std::get<int64_t>(value_));
  default:
    return {};
  }
}

JSONRef NewJSONObject() {
  JSONRef document = JSONFromString(u"{}");
  document->SetIsGenerating(true);
  return document;
}

JSONRef JSONArrayOf(const std::vector<TJSONValue>& values) {
  JSONRef document = NewJSONObject();
  document->AddChild(u"", u"[]");
  for (const TJSONValue& value : values)
    document->GetChild(0)->AddChild(u"", value.Text());
  return document;
}
