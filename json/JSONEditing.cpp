// Lookup by name and the operations that change a document: appending a child, replacing a
// node's value, its name or its unescaped text, and setting a named member from another node.
//
// Every edit makes all its checks first, so that a refused or failing edit leaves the document as
// it was; then it replaces one stretch of the document text, moves the positions of every node of
// the document in one walk, and parses whatever new structure the text brings.

#include "json/InvariantUpperCase.h"
#include "json/JSONDocument.h"
#include "json/JSONLimits.h"
#include "json/NormalizeText.h"
#include "json/StringEscaping.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

bool IsTrimmed(char16_t c) { return c <= u' '; }

std::u16string_view Trimmed(std::u16string_view text) {
  while (!text.empty() && IsTrimmed(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && IsTrimmed(text.back()))
    text.remove_suffix(1);
  return text;
}

bool SameName(std::u16string_view a, std::u16string_view b) {
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (ujson::InvariantUpperCase(a[i]) != ujson::InvariantUpperCase(b[i]))
      return false;
  }
  return true;
}

int64_t CountOpenings(std::u16string_view text) {
  return std::count_if(text.begin(), text.end(), [](char16_t c) { return c == u'[' || c == u'{'; });
}

int32_t Saturated(int64_t position) {
  return static_cast<int32_t>(std::clamp<int64_t>(position, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

// One change of the document text: the characters First to Last (1-based, inclusive; Last is
// First - 1 for a pure insertion) give way to Length new ones, which then occupy First to
// NewLast().
struct TReplacement {
  int32_t First;
  int32_t Last;
  int32_t Length;

  size_t OldLength() const { return static_cast<size_t>(int64_t{Last} - First + 1); }
  int64_t Delta() const { return int64_t{Length} - static_cast<int64_t>(OldLength()); }
  int32_t NewLast() const { return First + Length - 1; }

  // Positions behind the replaced characters move with them. Positions inside them (only ranges
  // that overlap the edited node's own, as malformed text can leave them) are kept inside the
  // new characters, so that no range ever points before them or past the end of the text.
  int32_t MoveStart(int32_t position) const {
    if (position < First)
      return position;
    if (position > Last)
      return Saturated(position + Delta());
    return Length > 0 ? std::min(position, NewLast()) : First;
  }
  int32_t MoveFinish(int32_t position) const {
    if (position < First)
      return position;
    if (position > Last)
      return Saturated(position + Delta());
    return position == Last ? NewLast() : std::min(position, NewLast());
  }
};

} // namespace

// The private side of the edits; TJSONObject lets it at its fields.
class TJSONEditor {
public:
  static JSONRef Append(TJSONObject& node, std::u16string_view name, std::u16string_view value);
  static void ReplaceValue(TJSONObject& node, const std::u16string& value);
  static void ReplaceName(TJSONObject& node, std::u16string_view name);
  static void ReplaceAsString(TJSONObject& node, const std::u16string& escaped);

private:
  static bool CanEdit(const TJSONObject& node);
  static std::optional<TReplacement> RegionOf(const TJSONObject& node, TStringElement range,
                                              size_t newLength);
  static bool CheckNesting(TJSON& document, const TReplacement& edit, std::u16string_view inserted,
                           int32_t parseStart, int32_t level);
  static void DropChilds(TJSONObject& node);
  static void Apply(TJSONObject& node, const TReplacement& edit, std::u16string_view inserted,
                    bool textReplaced);
  // Which of the node's ranges an edit replaced.
  enum class Replaced { Name, Value };
  static void CoverReplacement(TJSONObject& node, Replaced which, TStringElement oldRange,
                               TStringElement oldText, const TReplacement& edit);
};

// Only nodes of the live tree are edited. A node that an earlier edit dropped from the tree has
// ranges nobody keeps true any more, and a node of a destroyed document has no text to edit;
// editing through either would write into characters that belong to other nodes.
bool TJSONEditor::CanEdit(const TJSONObject& node) {
  return node.TextRange().Start >= 1 && node.FOwner->InTree(node);
}

// The characters a range stands for, clipped to the text as reading clips them. A range that
// ends before it starts (the finish -1 of a bare value running to the end of the text included)
// is empty at its start. None when the range starts beyond the end of the text.
std::optional<TReplacement> TJSONEditor::RegionOf(const TJSONObject& node, TStringElement range,
                                                  size_t newLength) {
  const int64_t textLength = static_cast<int64_t>(node.FOwner->FText.size());
  if (range.Start < 1 || range.Start > textLength + 1)
    return std::nullopt;
  const int32_t first = range.Start;
  const int32_t last = static_cast<int32_t>(
      std::min<int64_t>(std::max<int64_t>(range.Finish, int64_t{first} - 1), textLength));
  ujson::CheckTextLength(textLength - (int64_t{last} - first + 1) +
                         static_cast<int64_t>(newLength));
  return TReplacement{first, last, static_cast<int32_t>(newLength)};
}

// Makes sure that parsing the edited text from parseStart (a position in the edited text) with a
// node of the given level stays within the nesting bound, before anything changes. Each level the
// parser opens takes one opening bracket, so counting them from parseStart to the end bounds the
// depth. Only when that count is too high is the edit parsed in earnest, by a node outside the
// tree: passing the bound then fails with the load's own message and the text is put back as it
// was. True when the text has been replaced already.
bool TJSONEditor::CheckNesting(TJSON& document, const TReplacement& edit,
                               std::u16string_view inserted, int32_t parseStart, int32_t level) {
  std::u16string& text = document.FText;
  const std::u16string_view old(text);
  const size_t at = static_cast<size_t>(edit.First - 1);
  const size_t removedLength = edit.OldLength();
  int64_t openings = 0;
  if (static_cast<size_t>(parseStart - 1) < at)
    openings += CountOpenings(old.substr(parseStart - 1, at - (parseStart - 1)));
  const int64_t intoInserted = std::max<int64_t>(int64_t{parseStart} - edit.First, 0);
  if (intoInserted < static_cast<int64_t>(inserted.size()))
    openings += CountOpenings(inserted.substr(static_cast<size_t>(intoInserted)));
  const int64_t oldAfterStart =
      std::max<int64_t>(int64_t{parseStart} - edit.Delta(), int64_t{edit.Last} + 1);
  if (oldAfterStart - 1 < static_cast<int64_t>(old.size()))
    openings += CountOpenings(old.substr(static_cast<size_t>(oldAfterStart - 1)));
  if (int64_t{level} + openings <= ujson::MaxNestingLevel)
    return false;

  const std::u16string removed = text.substr(at, removedLength);
  // With room for both texts, putting the old one back cannot fail.
  text.reserve(std::max(text.size(), text.size() - removedLength + inserted.size()));
  text.replace(at, removedLength, inserted);
  try {
    TJSONObject* probe = TJSONObject::Create(&document, nullptr);
    const JSONRef hold(probe);
    probe->FLevel = level;
    int32_t position = parseStart;
    probe->Parse(position);
  } catch (...) {
    text.replace(at, inserted.size(), removed);
    throw;
  }
  return true;
}

// Empties the child list. The dropped nodes leave the tree: their parent references are cleared,
// since a dropped node that a caller still holds may outlive its parent, and a node outside the
// tree has no parent list holding it.
void TJSONEditor::DropChilds(TJSONObject& node) { node.FOwner->DropChildren(node.FRecord); }

void TJSONEditor::Apply(TJSONObject& node, const TReplacement& edit, std::u16string_view inserted,
                        bool textReplaced) {
  std::u16string& text = node.FOwner->FText;
  if (!textReplaced)
    text.replace(static_cast<size_t>(edit.First - 1), edit.OldLength(), inserted);
  TJSON& document = *node.FOwner;
  ujson::TNodeRecords& records = document.FRecords;
  document.VisitSubtree(document.FRecord, [&edit, &records](uint32_t record) {
    ujson::TNodeRecords::Ranges ranges = records.Get(record);
    for (TStringElement* range : {&ranges.Text, &ranges.Name, &ranges.Value}) {
      range->Start = edit.MoveStart(range->Start);
      range->Finish = edit.MoveFinish(range->Finish);
    }
    records.Set(record, ranges);
    return true;
  });
}

// The replaced range covers exactly the new characters, and so does the node's text range where
// it began or ended with the replaced range. Moving positions alone cannot get there when the old
// range was empty or one character long: its finish then does not lie behind its start, and an
// empty range's start counts as behind the point where the new characters go in.
void TJSONEditor::CoverReplacement(TJSONObject& node, Replaced which, TStringElement oldRange,
                                   TStringElement oldText, const TReplacement& edit) {
  ujson::TNodeRecords& records = node.FOwner->FRecords;
  ujson::TNodeRecords::Ranges ranges = records.Get(node.FRecord);
  (which == Replaced::Name ? ranges.Name : ranges.Value) = {edit.First, edit.NewLast()};
  if (oldText.Start == oldRange.Start)
    ranges.Text.Start = edit.First;
  if (oldText.Finish == oldRange.Finish)
    ranges.Text.Finish = edit.NewLast();
  records.Set(node.FRecord, ranges);
}

JSONRef TJSONEditor::Append(TJSONObject& node, std::u16string_view name,
                            std::u16string_view value) {
  if (!CanEdit(node))
    return nullptr;
  const std::u16string& text = node.FOwner->FText;
  const int64_t textLength = static_cast<int64_t>(text.size());
  // The new child goes in front of the closing bracket; an object or array that has none inside
  // the text is not appended to.
  const int32_t closing = node.TextRange().Finish;
  if (closing < 1 || closing > textLength || closing <= node.ValueRange().Start ||
      (text[closing - 1] != u']' && text[closing - 1] != u'}'))
    return nullptr;

  std::u16string inserted;
  if (node.FOwner->FRecords.FirstChild(node.FRecord) != ujson::NoRecord)
    inserted += u',';
  const size_t childStart = inserted.size();
  const bool wrap = !name.empty() && node.GetJType() == jt_array;
  if (wrap)
    inserted += u'{';
  if (!name.empty())
    inserted.append(u"\"").append(name).append(u"\":");
  inserted.append(value);
  if (wrap)
    inserted += u'}';

  const int32_t level = node.FLevel + 1;
  ujson::CheckNestingLevel(level);
  ujson::CheckTextLength(textLength + static_cast<int64_t>(inserted.size()));
  const TReplacement edit{closing, closing - 1, static_cast<int32_t>(inserted.size())};
  const int32_t childPosition = closing + static_cast<int32_t>(childStart);
  const bool textReplaced = CheckNesting(*node.FOwner, edit, inserted, childPosition, level);

  Apply(node, edit, inserted, textReplaced);
  // The new child is parsed as one more child of the node: from its position the parser meets
  // exactly the inserted value.
  JSONRef child = node.FOwner->AppendChild(node);
  int32_t position = childPosition;
  child->Parse(position);
  return child;
}

void TJSONEditor::ReplaceValue(TJSONObject& node, const std::u16string& value) {
  if (node.ValueRange().Start == 0 || !CanEdit(node))
    return;
  const std::optional<TReplacement> edit = RegionOf(node, node.ValueRange(), value.size());
  if (!edit)
    return;
  const int32_t parseStart = node.TextRange().Start;
  const bool textReplaced = CheckNesting(*node.FOwner, *edit, value, parseStart, node.FLevel);

  const TStringElement oldValue = node.ValueRange();
  const TStringElement oldText = node.TextRange();
  DropChilds(node);
  Apply(node, *edit, value, textReplaced);
  CoverReplacement(node, Replaced::Value, oldValue, oldText, *edit);
  // A text the parser does not take up (it starts with a closing bracket, say) leaves the node
  // unparsed, as a load would.
  node.FOwner->FRecords.SetKind(node.FRecord, jt_unknown);
  int32_t position = node.TextRange().Start;
  node.Parse(position);
}

void TJSONEditor::ReplaceName(TJSONObject& node, std::u16string_view name) {
  if (node.NameRange().Start == 0 || !CanEdit(node))
    return;
  const std::optional<TReplacement> edit = RegionOf(node, node.NameRange(), name.size());
  if (!edit)
    return;
  const TStringElement oldName = node.NameRange();
  const TStringElement oldText = node.TextRange();
  Apply(node, *edit, name, false);
  CoverReplacement(node, Replaced::Name, oldName, oldText, *edit);
}

void TJSONEditor::ReplaceAsString(TJSONObject& node, const std::u16string& escaped) {
  if (node.ValueRange().Start == 0 || !CanEdit(node))
    return;
  const std::optional<TReplacement> edit = RegionOf(node, node.ValueRange(), escaped.size());
  if (!edit)
    return;
  const TStringElement oldValue = node.ValueRange();
  const TStringElement oldText = node.TextRange();
  // The children's text is replaced too; kept, they would point at characters that are gone.
  DropChilds(node);
  Apply(node, *edit, escaped, false);
  CoverReplacement(node, Replaced::Value, oldValue, oldText, *edit);
}

JSONRef TJSONObject::GetChildByName(std::u16string_view Name) {
  const ujson::TNodeRecords& records = FOwner->FRecords;
  for (uint32_t child = records.FirstChild(FRecord); child != ujson::NoRecord;
       child = records.NextSibling(child)) {
    if (SameName(StringView(records.Name(child)), Name))
      return JSONRef(FOwner->ObjectFor(child, this));
  }
  if (GetIsGenerating())
    return AddChild(Name, u"null");
  // A blank node: outside the tree, so that the document stays as it is.
  return JSONRef(TJSONObject::Create(FOwner, this));
}

void TJSONObject::SetChildByName(std::u16string_view Name, const JSONRef& Source) {
  if (!Source)
    return;
  const std::u16string value = Source->GetValue();
  if (const JSONRef child = GetChildByName(Name))
    child->SetValue(value);
}

JSONRef TJSONObject::AddChild(std::u16string_view Name, std::u16string_view Value) {
  if (GetJType() != jt_object && GetJType() != jt_array)
    return nullptr;
  std::u16string value(Value);
  ujson::NormalizeText(value);
  return TJSONEditor::Append(*this, Name, Trimmed(value));
}

void TJSONObject::SetValue(std::u16string_view Value) {
  std::u16string value(Value);
  // A string's value lies between its quotes, so the new one is a string's content too.
  ujson::NormalizeText(value, HoldsQuotedValue());
  TJSONEditor::ReplaceValue(*this, value);
}

void TJSONObject::SetName(std::u16string_view Value) { TJSONEditor::ReplaceName(*this, Value); }

void TJSONObject::SetAsString(std::u16string_view Value) {
  // Reading AsString gives Value back, and the document stays on one line.
  TJSONEditor::ReplaceAsString(*this, ujson::EscapeJSON(Value, {.QuoteAndBackslash = true,
                                                                .OtherControlsAsUnicode = false}));
}
