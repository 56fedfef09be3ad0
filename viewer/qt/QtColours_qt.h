#pragma once

#include "viewer/toolkit/ColourScheme.h"

#include <QColor>
#include <QPalette>

namespace tkqt {

inline QColor QColorOf(tk::Colour Colour) {
  return QColor(static_cast<int>(Colour & 0xFFu), static_cast<int>((Colour >> 8) & 0xFFu),
                static_cast<int>((Colour >> 16) & 0xFFu));
}

// The palette a control of the form takes under Scheme. Under the system scheme it sets no role,
// so the control inherits the host's colours again.
inline QPalette SchemePalette(tk::ColourScheme Scheme) {
  if (!tk::IsDark(Scheme))
    return QPalette();
  using Dark = tk::DarkPalette;
  QPalette palette;
  for (const QPalette::ColorGroup group :
       {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    palette.setColor(group, QPalette::Base, QColorOf(Dark::Background));
    palette.setColor(group, QPalette::AlternateBase, QColorOf(Dark::Background));
    palette.setColor(group, QPalette::Text, QColorOf(Dark::Text));
    palette.setColor(group, QPalette::Window, QColorOf(Dark::BarBackground));
    palette.setColor(group, QPalette::Button, QColorOf(Dark::BarBackground));
    palette.setColor(group, QPalette::WindowText, QColorOf(Dark::Text));
    palette.setColor(group, QPalette::ButtonText, QColorOf(Dark::Text));
    palette.setColor(group, QPalette::Mid, QColorOf(Dark::Lines));
    palette.setColor(group, QPalette::Dark, QColorOf(Dark::Lines));
    palette.setColor(group, QPalette::Highlight, QColorOf(Dark::SelectionBackground));
    palette.setColor(group, QPalette::HighlightedText, QColorOf(Dark::SelectionText));
  }
  return palette;
}

} // namespace tkqt
