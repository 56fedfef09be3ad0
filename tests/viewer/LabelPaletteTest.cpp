#include "viewer/toolkit/LabelPalette.h"

#include <gtest/gtest.h>

#include <cstddef>

namespace {

TEST(LabelPalette, ContrastRatiosFollowWcag) {
  EXPECT_NEAR(tk::ContrastRatio(tk::Rgb(0, 0, 0), tk::Rgb(0xFF, 0xFF, 0xFF)), 21.0, 1e-9);
  EXPECT_NEAR(tk::ContrastRatio(tk::Rgb(0x77, 0x77, 0x77), tk::Rgb(0xFF, 0xFF, 0xFF)), 4.48, 0.01);
  EXPECT_DOUBLE_EQ(tk::ContrastRatio(tk::Rgb(1, 2, 3), tk::Rgb(1, 2, 3)), 1.0);
  // Channels are read from 0x00BBGGRR: pure green is far lighter than pure blue.
  EXPECT_GT(tk::RelativeLuminance(tk::Rgb(0, 0xFF, 0)), tk::RelativeLuminance(tk::Rgb(0, 0, 0xFF)));
}

TEST(LabelPalette, EveryKindIsReadableOnItsBackgroundAndTheKindsDiffer) {
  for (const tk::LabelPalette* palette : {&tk::LightLabelPalette, &tk::DarkLabelPalette}) {
    for (std::size_t kind = 0; kind < tk::kLabelPartKinds; ++kind) {
      EXPECT_GE(tk::ContrastRatio(palette->Kinds.at(kind), palette->Background), 4.5)
          << "kind " << kind << " on " << std::hex << palette->Background;
      // Every kind has a colour of its own.
      for (std::size_t other = 0; other < kind; ++other) {
        EXPECT_NE(palette->Kinds.at(kind), palette->Kinds.at(other)) << kind << " " << other;
      }
    }
  }
  EXPECT_EQ(tk::DarkLabelPalette.Background, tk::DarkPalette::Background);
  // A selected row draws in the selection's text colour, which must read on the selection.
  EXPECT_GE(tk::ContrastRatio(tk::DarkPalette::SelectionText, tk::DarkPalette::SelectionBackground),
            4.5);
}

TEST(LabelPalette, TheBackgroundChoosesThePalette) {
  EXPECT_EQ(&tk::LabelPaletteOn(tk::Rgb(0xFF, 0xFF, 0xFF)), &tk::LightLabelPalette);
  EXPECT_EQ(&tk::LabelPaletteOn(tk::Rgb(0xF0, 0xF0, 0xF0)), &tk::LightLabelPalette);
  EXPECT_EQ(&tk::LabelPaletteOn(tk::DarkPalette::Background), &tk::DarkLabelPalette);
  // A host's dark theme under the system scheme.
  EXPECT_EQ(&tk::LabelPaletteOn(tk::Rgb(0x2D, 0x2D, 0x30)), &tk::DarkLabelPalette);
}

} // namespace
