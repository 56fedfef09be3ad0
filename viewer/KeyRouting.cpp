#include "viewer/KeyRouting.h"

namespace {

bool IsNavigationKey(uint32_t Key) {
  switch (Key) {
  case tk::key::Left:
  case tk::key::Right:
  case tk::key::Up:
  case tk::key::Down:
  case tk::key::Home:
  case tk::key::End:
  case tk::key::Prior:
  case tk::key::Next:
  case tk::key::Return:
    return true;
  default:
    return false;
  }
}

bool IsModifierKey(uint32_t Key) {
  return Key == tk::key::Shift || Key == tk::key::Control || Key == tk::key::Menu;
}

// + - * from the keypad or from the main keyboard, whichever keys type them in the layout.
TreeKeyAction TreeSign(const tk::KeyPress& Key) {
  if (Key.Key == tk::key::Add || Key.Character == u'+')
    return TreeKeyAction::ExpandNode;
  if (Key.Key == tk::key::Subtract || Key.Character == u'-')
    return TreeKeyAction::CollapseNode;
  if (Key.Key == tk::key::Multiply || Key.Character == u'*')
    return TreeKeyAction::ExpandAll;
  return TreeKeyAction::PassToHost;
}

} // namespace

TreeKeyAction ActionOfKey(const tk::KeyPress& Key) {
  // Modifiers on their own type and move nothing; the key they modify comes on its own.
  if (IsModifierKey(Key.Key))
    return TreeKeyAction::Navigate;
  if (Key.Control && !Key.Alt) {
    if (Key.Key == tk::key::Letter('C'))
      return Key.Shift ? TreeKeyAction::CopyPath : TreeKeyAction::CopyValue;
    if (Key.Key == tk::key::Insert && !Key.Shift)
      return TreeKeyAction::CopyValue;
  }
  if (!Key.Control && !Key.Alt) {
    if (Key.Key == tk::key::Apps || (Key.Key == tk::key::Function(10) && Key.Shift))
      return TreeKeyAction::ContextMenu;
    if (const TreeKeyAction sign = TreeSign(Key); sign != TreeKeyAction::PassToHost)
      return sign;
  }
  // Shift and Ctrl go with navigation (Ctrl+arrows scroll); the host's keys with Alt go on.
  if (IsNavigationKey(Key.Key) && !Key.Alt)
    return TreeKeyAction::Navigate;
  return TreeKeyAction::PassToHost;
}
