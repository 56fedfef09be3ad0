#include "viewer/NodeLabel.h"

#include "viewer/Decimal.h"
#include "viewer/NodeCopy.h"

#include <algorithm>
#include <string_view>
#include <utility>

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
  constexpr std::u16string_view hexDigits = u"0123456789ABCDEF";
  std::u16string shown;
  shown.reserve(text.size() + 16);
  for (const char16_t c : text) {
    if (c >= u' ') {
      shown += c;
      continue;
    }
    shown += u'\\';
    switch (c) {
    case u'\b':
      shown += u'b';
      break;
    case u'\f':
      shown += u'f';
      break;
    case u'\n':
      shown += u'n';
      break;
    case u'\r':
      shown += u'r';
      break;
    case u'\t':
      shown += u't';
      break;
    default:
      shown.append({u'u', u'0', u'0', hexDigits[c >> 4], hexDigits[c & 15]});
    }
  }
  label.Text = std::move(shown);
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
