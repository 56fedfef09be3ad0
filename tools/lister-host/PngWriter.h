#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace host {

// An 8-bit RGB picture, rows from the top, three bytes per pixel.
struct RgbImage {
  int Width = 0;
  int Height = 0;
  std::vector<uint8_t> Pixels;
};

// The picture as a PNG file's bytes. The image data is stored uncompressed (deflate's stored
// blocks): screenshots are small and the writer needs no compression library.
std::vector<uint8_t> EncodePng(const RgbImage& Image);

} // namespace host
