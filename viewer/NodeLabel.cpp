#include "viewer/NodeLabel.h"

#include "viewer/Decimal.h"

namespace {

TreeLabel ContainerLabel(const IJSONObject& Node, std::u16string_view Brackets) {
  TreeLabel label{Node.GetName(), true};
  label.Text += Brackets;
  AppendDecimal(label.Text, Node.GetCount());
  label.Text += u')';
  return label;
}

TreeLabel ValueLabel(const IJSONObject& Node, bool Quoted) {
  TreeLabel label{Node.GetName(), false};
  if (!label.Text.empty())
    label.Text += u" : ";
  if (Quoted)
    label.Text += u'"';
  label.Text += Node.GetAsString();
  if (Quoted)
    label.Text += u'"';
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
    return ValueLabel(Node, true);
  case jt_variant:
    return ValueLabel(Node, false);
  case jt_unknown:
  default:
    return {u"jt_unknown = " + Node.GetText(), false};
  }
}
