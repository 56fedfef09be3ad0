#include "tools/lister-host/PngWriter.h"

#include <array>
#include <stdexcept>

namespace host {
namespace {

std::array<uint32_t, 256> MakeCrcTable() {
  std::array<uint32_t, 256> table{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k)
      c = (c & 1u) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}

uint32_t Crc32(const uint8_t* Data, std::size_t Size, uint32_t Crc = 0xFFFFFFFFu) {
  static const std::array<uint32_t, 256> table = MakeCrcTable();
  for (std::size_t i = 0; i < Size; ++i)
    Crc = table[(Crc ^ Data[i]) & 0xFFu] ^ (Crc >> 8);
  return Crc;
}

void PutBig32(std::vector<uint8_t>& Out, uint32_t Value) {
  Out.push_back(static_cast<uint8_t>(Value >> 24));
  Out.push_back(static_cast<uint8_t>(Value >> 16));
  Out.push_back(static_cast<uint8_t>(Value >> 8));
  Out.push_back(static_cast<uint8_t>(Value));
}

void PutChunk(std::vector<uint8_t>& Out, const char (&Type)[5], const std::vector<uint8_t>& Data) {
  PutBig32(Out, static_cast<uint32_t>(Data.size()));
  const std::size_t typeAt = Out.size();
  Out.insert(Out.end(), Type, Type + 4);
  Out.insert(Out.end(), Data.begin(), Data.end());
  const uint32_t crc = Crc32(Out.data() + typeAt, 4 + Data.size()) ^ 0xFFFFFFFFu;
  PutBig32(Out, crc);
}

// A zlib stream of stored deflate blocks.
std::vector<uint8_t> StoredZlib(const std::vector<uint8_t>& Raw) {
  std::vector<uint8_t> out{0x78, 0x01};
  constexpr std::size_t maxBlock = 65535;
  std::size_t at = 0;
  do {
    const std::size_t size = std::min(maxBlock, Raw.size() - at);
    const bool last = at + size == Raw.size();
    out.push_back(last ? 1 : 0);
    out.push_back(static_cast<uint8_t>(size));
    out.push_back(static_cast<uint8_t>(size >> 8));
    out.push_back(static_cast<uint8_t>(~size));
    out.push_back(static_cast<uint8_t>(~size >> 8));
    out.insert(out.end(), Raw.begin() + static_cast<std::ptrdiff_t>(at),
               Raw.begin() + static_cast<std::ptrdiff_t>(at + size));
    at += size;
  } while (at < Raw.size());
  uint32_t a = 1;
  uint32_t b = 0;
  for (uint8_t byte : Raw) {
    a = (a + byte) % 65521u;
    b = (b + a) % 65521u;
  }
  PutBig32(out, (b << 16) | a);
  return out;
}

} // namespace

std::vector<uint8_t> EncodePng(const RgbImage& Image) {
  if (Image.Width <= 0 || Image.Height <= 0 ||
      Image.Pixels.size() != static_cast<std::size_t>(Image.Width) * Image.Height * 3)
    throw std::invalid_argument("picture size does not match its pixels");

  std::vector<uint8_t> png{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  PutBig32(header, static_cast<uint32_t>(Image.Width));
  PutBig32(header, static_cast<uint32_t>(Image.Height));
  header.insert(header.end(), {8, 2, 0, 0, 0}); // 8 bits, RGB, deflate, filters, no interlace
  PutChunk(png, "IHDR", header);

  const std::size_t rowBytes = static_cast<std::size_t>(Image.Width) * 3;
  std::vector<uint8_t> raw;
  raw.reserve((rowBytes + 1) * Image.Height);
  for (int y = 0; y < Image.Height; ++y) {
    raw.push_back(0); // filter: none
    const auto row = Image.Pixels.begin() + static_cast<std::ptrdiff_t>(rowBytes * y);
    raw.insert(raw.end(), row, row + static_cast<std::ptrdiff_t>(rowBytes));
  }
  PutChunk(png, "IDAT", StoredZlib(raw));
  PutChunk(png, "IEND", {});
  return png;
}

} // namespace host
