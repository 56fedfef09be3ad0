#pragma once

// Building documents from nothing: an empty object in generating mode, and an array of typed
// values written in the library's own forms.

#include "json/IJSONObject.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

// The value a variant entry holds: nothing (unassigned), null, a boolean, an integer, a number or
// a text.
using TJSONVariant =
    std::variant<std::monostate, std::nullptr_t, bool, int64_t, double, std::u16string>;

// One entry of the list JSONArrayOf writes: a kind code from 0 to 17 and a value of that kind.
// Entries are made by the named constructor of their kind only, so a code cannot be paired with
// a value of another kind. Strings are copied in; pointers are kept as numbers, never followed
// after construction.
class TJSONValue {
public:
  // 0: the integer in decimal.
  static TJSONValue Integer(int32_t value);
  // 1: "True" or "False".
  static TJSONValue Boolean(bool value);
  // 2: the byte character, decoded with the ANSI code page, in quotation marks.
  static TJSONValue AnsiChar(char value);
  // 3: the number in the general number format (see NumberFormat.h).
  static TJSONValue Float(double value);
  // 4: the byte string, decoded with the ANSI code page, in quotation marks. Such a string holds
  // at most 255 bytes; the rest of a longer one is cut off.
  static TJSONValue ShortAnsiString(std::string_view value);
  // 5: "$" and the low 32 bits of the address as 8 upper-case hexadecimal digits.
  static TJSONValue Pointer(const void* value);
  // 6: like 4, from a zero-terminated string (at most its first 255 bytes; none for null).
  static TJSONValue AnsiCString(const char* value);
  // 7, 8: like 5.
  static TJSONValue Object(const void* value);
  static TJSONValue Class(const void* value);
  // 9: the character in quotation marks.
  static TJSONValue WideChar(char16_t value);
  // 10: the zero-terminated text in quotation marks (none for null).
  static TJSONValue WideCString(const char16_t* value);
  // 11: like 4, of any length.
  static TJSONValue AnsiString(std::string_view value);
  // 12: an amount of ten-thousandths in the general number format, at most 4 decimals.
  static TJSONValue Currency(int64_t tenThousandths);
  // 13: the value's text without quotation marks: "null" for null and for an unassigned value,
  // "True"/"False" as for code 1, numbers as for codes 16 and 3, a text as it stands.
  static TJSONValue Variant(TJSONVariant value);
  // 14: like 5, without the "$".
  static TJSONValue Interface(const void* value);
  // 15, 17: the text in quotation marks.
  static TJSONValue UnicodeString(std::u16string_view value);
  // 16: the integer in decimal.
  static TJSONValue Int64(int64_t value);
  static TJSONValue CountedString(std::u16string_view value);

  int Kind() const { return kind_; }

  // The text the entry becomes in the array. Nothing in it is escaped.
  std::u16string Text() const;

private:
  using Storage = std::variant<int32_t, bool, char, double, std::string, uintptr_t, char16_t,
                               std::u16string, int64_t, TJSONVariant>;

  TJSONValue(int kind, Storage value) : kind_(kind), value_(std::move(value)) {}

  int kind_;
  Storage value_;
};

// A new document "{}" in generating mode, where asking for a missing member adds it.
JSONRef NewJSONObject();

// A new document in generating mode whose text is "{[...]}": the object holds one unnamed array
// with an element per entry, in order. "{[]}" for no entries.
JSONRef JSONArrayOf(const std::vector<TJSONValue>& values);
