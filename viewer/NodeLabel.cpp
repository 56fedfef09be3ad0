#include "viewer/NodeLabel.h"

#include "viewer/Decimal.h"
#include "viewer/NodeCopy.h"

#include "json/StringEscaping.h"

#include <algorithm>
#include <string_view>

namespace {

TreeLabel ContainerLabel(const IJSONObject& Node, std::u16string_view Brackets) {
  TreeLabel label{NodeNameText(Node), true};
  label.Text += Brackets;
  AppendDecimal(label.Text, Node.GetCount());
  label.Text += u')';
  return label;
}

TreeLabel ValueLabel(const IJSONObject& Node, bool Quoted) {
  TreeLabel label{NodeNameText(Node), false};
  if (!label.Text.empty())
    label.Text += u" : ";
  if (Quoted)
    label.Text += u'"';
  label.Text += Node.GetAsString();
  if (Quoted)
    label.Text += u'"';
  return label;
}

// A label stays on one line: each control character shows as its JSON escape.
TreeLabel WithControlsEscaped(TreeLabel label) {
  const std::u16string& text = label.Text;
  if (std::none_of(text.begin(), text.end(), [](char16_t c) { return c < u' '; }))
    return label;
  label.Text =
      ujson::EscapeJSON(text, {.QuoteAndBackslash = false, .OtherControlsAsUnicode = true});
  return label;
}

TreeLabel LabelOf(const IJSONObject& Node) {
  switch (Node.GetJType()) {
  case jt_object:
    return ContainerLabel(Node, u" {} (");
  case jt_array:
    return ContainerLabel(Node, u" [] (");
  case jt_string:
    return ValueLabel(Node, true);
  case jt_variant:
    return ValueLabel(Node, false);
  case jt_unknown:
  default:
    return {u"jt_unknown = " + Node.GetText(), false};
  }
}

} // namespace

TreeLabel NodeLabel(const IJSONObject& Node) { return WithControlsEscaped(LabelOf(Node)); }
