#include "viewer/NodeLabel.h"

#include "viewer/Decimal.h"
#include "viewer/NodeCopy.h"

#include "json/JSONDocument.h"
#include "json/StringEscaping.h"

#include <algorithm>
#include <string_view>

namespace {

using tk::LabelPartKind;

// Appends parts up to the label's bound; what is cut off becomes one ellipsis.
class LabelBuilder {
public:
  explicit LabelBuilder(TreeLabel& Label) : label_(Label) {}

  // Room left for text before the bound.
  std::size_t Room() const {
    return kMaxLabelLength - std::min(kMaxLabelLength, label_.Text.size());
  }

  void Append(LabelPartKind Kind, std::u16string_view Text) {
    if (cut_ || Text.empty())
      return;
    std::size_t taken = Text.size();
    if (taken > Room()) {
      taken = tk::WholeUnitsIn(Text, Room());
      cut_ = true;
    }
    Add(Kind, Text.substr(0, taken));
    if (cut_)
      Add(LabelPartKind::Punctuation, u"\u2026");
  }

  // A name or a value, escapes decoded and controls written as their escapes: reads only as
  // much of Raw as the room left can show.
  void AppendDecoded(LabelPartKind Kind, std::u16string_view Raw) {
    Append(Kind, LabelText(DecodedHead(Raw, Room() + 1)));
  }

private:
  void Add(LabelPartKind Kind, std::u16string_view Text) {
    if (Text.empty())
      return;
    label_.Text += Text;
    if (!label_.Parts.empty() && label_.Parts.back().Kind == Kind)
      label_.Parts.back().Length += static_cast<uint32_t>(Text.size());
    else
      label_.Parts.push_back({Kind, static_cast<uint32_t>(Text.size())});
  }

  static std::u16string LabelText(std::u16string Text) {
    if (std::none_of(Text.begin(), Text.end(), [](char16_t c) { return c < u' '; }))
      return Text;
    return ujson::EscapeJSON(Text, {.QuoteAndBackslash = false, .OtherControlsAsUnicode = true});
  }

  TreeLabel& label_;
  bool cut_ = false;
};

LabelPartKind BareValueKind(std::u16string_view Value) {
  if (Value == u"true" || Value == u"false")
    return LabelPartKind::Boolean;
  if (Value == u"null")
    return LabelPartKind::Null;
  const std::u16string_view digits = Value.starts_with(u'-') ? Value.substr(1) : Value;
  if (!digits.empty() && digits.front() >= u'0' && digits.front() <= u'9')
    return LabelPartKind::Number;
  return LabelPartKind::Plain;
}

void AppendName(LabelBuilder& Builder, const IJSONObject& Node) {
  Builder.AppendDecoded(LabelPartKind::Name, NodeNameView(Node));
}

TreeLabel ContainerLabel(const IJSONObject& Node, std::u16string_view Brackets) {
  TreeLabel label;
  label.HasChildren = true;
  LabelBuilder builder(label);
  AppendName(builder, Node);
  std::u16string marker(Brackets);
  AppendDecimal(marker, Node.GetCount());
  marker += u')';
  builder.Append(LabelPartKind::Marker, marker);
  return label;
}

TreeLabel ValueLabel(const IJSONObject& Node) {
  TreeLabel label;
  LabelBuilder builder(label);
  AppendName(builder, Node);
  if (!label.Text.empty())
    builder.Append(LabelPartKind::Punctuation, u" : ");
  const std::u16string_view value = NodeValueView(Node);
  if (IsStringValue(Node)) {
    builder.Append(LabelPartKind::Punctuation, u"\"");
    builder.AppendDecoded(LabelPartKind::String, value);
    builder.Append(LabelPartKind::Punctuation, u"\"");
  } else {
    builder.AppendDecoded(BareValueKind(value), value);
  }
  return label;
}

bool IsBlank(std::u16string_view Text) {
  return std::all_of(Text.begin(), Text.end(), [](char16_t c) { return c <= u' '; });
}

TreeLabel UnknownLabel(const IJSONObject& Node) {
  // The reading leaves such a node without a text of its own, whether the document is empty
  // or holds something it made nothing of (a lone "]"): the document's text tells them apart.
  const std::u16string_view document = DocumentTextOf(Node);
  const int32_t start = std::max(Node.GetTextStart(), 1);
  const int32_t finish = std::min(Node.GetTextFinish(), static_cast<int32_t>(document.size()));
  const std::u16string_view own =
      finish >= start ? document.substr(static_cast<std::size_t>(start - 1),
                                        static_cast<std::size_t>(finish - start + 1))
                      : std::u16string_view();
  TreeLabel label;
  LabelBuilder(label).Append(LabelPartKind::Plain,
                             IsBlank(own) && IsBlank(document) ? u"(empty)" : u"(not JSON)");
  return label;
}

} // namespace

TreeLabel NodeLabel(const IJSONObject& Node) {
  switch (Node.GetJType()) {
  case jt_object:
    return ContainerLabel(Node, u" {} (");
  case jt_array:
    return ContainerLabel(Node, u" [] (");
  case jt_string:
  case jt_variant:
    return ValueLabel(Node);
  case jt_unknown:
  default:
    return UnknownLabel(Node);
  }
}
