#include "viewer/toolkit/Dpi.h"

#include <gtest/gtest.h>

namespace {

TEST(DpiTest, SizesScaleToTheScreenAndRoundHalvesAwayFromZero) {
  EXPECT_EQ(tk::ScaleForDpi(11, 96), 11);
  EXPECT_EQ(tk::ScaleForDpi(11, 144), 17); // 16.5
  EXPECT_EQ(tk::ScaleForDpi(19, 144), 29); // 28.5
  EXPECT_EQ(tk::ScaleForDpi(19, 120), 24); // 23.75
  EXPECT_EQ(tk::ScaleForDpi(-11, 144), -17);
  EXPECT_EQ(tk::ScaleForDpi(13, 192), 26);
  // An unknown screen leaves the designed size.
  EXPECT_EQ(tk::ScaleForDpi(19, 0), 19);
  EXPECT_EQ(tk::ScaleForDpi(19, 144, 0), 19);
  // Designed at another density: a form drawn at 120 shown at 96.
  EXPECT_EQ(tk::ScaleForDpi(20, 96, 120), 16);
}

} // namespace
