#pragma once

#include <cstdint>
#include <vector>

namespace tk {

// A small picture with its transparency: Pixels holds Width * Height values, row by row from
// the top, as 0xAARRGGBB. Alpha 0 is masked out (transparent), any other alpha is opaque.
struct Picture {
  int Width = 0;
  int Height = 0;
  std::vector<uint32_t> Pixels;

  bool Transparent(int X, int Y) const { return (Pixels[Y * Width + X] >> 24) == 0; }
  // The colour without alpha, 0x00RRGGBB.
  uint32_t Colour(int X, int Y) const { return Pixels[Y * Width + X] & 0x00FFFFFFu; }
};

} // namespace tk
