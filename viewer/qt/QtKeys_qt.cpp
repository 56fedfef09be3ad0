#include "viewer/qt/QtKeys_qt.h"

#include <QKeyEvent>

namespace tkqt {

namespace {

uint32_t VirtualKeyOf(int Key, bool Keypad) {
  if ((Key >= Qt::Key_A && Key <= Qt::Key_Z) || (Key >= Qt::Key_0 && Key <= Qt::Key_9))
    return static_cast<uint32_t>(Key); // the same numbers
  if (Key >= Qt::Key_F1 && Key <= Qt::Key_F24)
    return tk::key::F1 + static_cast<uint32_t>(Key - Qt::Key_F1);
  switch (Key) {
  case Qt::Key_Backspace:
    return tk::key::Back;
  case Qt::Key_Tab:
  case Qt::Key_Backtab:
    return tk::key::Tab;
  case Qt::Key_Return:
  case Qt::Key_Enter:
    return tk::key::Return;
  case Qt::Key_Shift:
    return tk::key::Shift;
  case Qt::Key_Control:
    return tk::key::Control;
  case Qt::Key_Alt:
    return tk::key::Menu;
  case Qt::Key_Escape:
    return tk::key::Escape;
  case Qt::Key_Space:
    return tk::key::Space;
  case Qt::Key_PageUp:
    return tk::key::Prior;
  case Qt::Key_PageDown:
    return tk::key::Next;
  case Qt::Key_End:
    return tk::key::End;
  case Qt::Key_Home:
    return tk::key::Home;
  case Qt::Key_Left:
    return tk::key::Left;
  case Qt::Key_Up:
    return tk::key::Up;
  case Qt::Key_Right:
    return tk::key::Right;
  case Qt::Key_Down:
    return tk::key::Down;
  case Qt::Key_Insert:
    return tk::key::Insert;
  case Qt::Key_Delete:
    return tk::key::Delete;
  case Qt::Key_Menu:
    return tk::key::Apps;
  // The keypad's signs have keys of their own; the main keyboard's are known by their character.
  case Qt::Key_Asterisk:
    return Keypad ? tk::key::Multiply : 0;
  case Qt::Key_Plus:
    return Keypad ? tk::key::Add : 0;
  case Qt::Key_Minus:
    return Keypad ? tk::key::Subtract : 0;
  default:
    return 0;
  }
}

} // namespace

tk::KeyPress KeyPressOf(const QKeyEvent& Event) {
  const Qt::KeyboardModifiers modifiers = Event.modifiers();
  tk::KeyPress press;
  press.Key = VirtualKeyOf(Event.key(), (modifiers & Qt::KeypadModifier) != 0);
  const QString text = Event.text();
  // Control characters (Ctrl+C types 3) type nothing a viewer would read.
  if (text.size() == 1 && text.at(0).unicode() >= 0x20 && text.at(0).unicode() != 0x7F)
    press.Character = static_cast<char16_t>(text.at(0).unicode());
  press.Shift = (modifiers & Qt::ShiftModifier) != 0;
  press.Control = (modifiers & Qt::ControlModifier) != 0;
  press.Alt = (modifiers & Qt::AltModifier) != 0;
  return press;
}

} // namespace tkqt
