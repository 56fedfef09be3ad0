#include "viewer/ToolbarPictures.h"

#include <array>
#include <stdexcept>
#include <string_view>

namespace {

constexpr int kSize = 17;
using Art = std::array<std::string_view, kSize>;

// One character per pixel; '.' is transparent.
// clang-format off
uint32_t PaletteColour(char Key) {
  switch (Key) {
  case 'k': return 0x000000;  // outline
  case 'w': return 0xFFFFFF;  // paper
  case 'y': return 0xF0D060;  // folder, spark
  case 'o': return 0xD8A830;  // folder front
  case 'n': return 0x9C6A30;  // board, handle
  case 'l': return 0xC0C0C0;  // clip
  case 'b': return 0x2050C0;  // text lines, arrow
  case 'g': return 0x808080;  // blades
  case 'r': return 0xD02020;  // cross
  case 'c': return 0xA0D8F0;  // lens
  case 'G': return 0x20A040;  // braces
  default: throw std::logic_error("Unknown picture colour");
  }
}
// clang-format on

tk::Picture Draw(const Art& Rows) {
  tk::Picture picture{kSize, kSize, {}};
  picture.Pixels.reserve(static_cast<std::size_t>(kSize) * kSize);
  for (std::string_view row : Rows) {
    if (row.size() != kSize)
      throw std::logic_error("Picture row of the wrong width");
    for (char key : row)
      picture.Pixels.push_back(key == '.' ? 0u : 0xFF000000u | PaletteColour(key));
  }
  return picture;
}

// clang-format off
// 0: open a file
constexpr Art kOpen = {
    ".................",
    ".................",
    "..........kkkk...",
    "..............k..",
    ".kkkkk.......kkk.",
    ".kyyyk........k..",
    ".kkkkkkkkkkkkk...",
    ".kyyyyyyyyyyyk...",
    ".kyyykkkkkkkkkkkk",
    ".kyyykooooooooook",
    ".kyyykooooooooook",
    ".kyykooooooooook.",
    ".kykooooooooook..",
    ".kkooooooooook...",
    ".kkkkkkkkkkkkk...",
    ".................",
    ".................",
};

// 1: paste
constexpr Art kPaste = {
    ".................",
    "....kkkkkk.......",
    ".kkkkllllkkkk....",
    ".knnkkkkkknnk....",
    ".knnnnnnnnnnk....",
    ".knnnnnnnnnnk....",
    ".knnnnnkkkkkkkkk.",
    ".knnnnnkwwwwwwwk.",
    ".knnnnnkwwwwwwwk.",
    ".knnnnnkwbbbbbwk.",
    ".knnnnnkwwwwwwwk.",
    ".knnnnnkwbbbbbwk.",
    ".knnnnnkwwwwwwwk.",
    ".knnnnnkwbbbbbwk.",
    ".knnnnnkwwwwwwwk.",
    ".kkkkkkkwwwwwwwk.",
    ".......kkkkkkkkk.",
};

// 2: cut (not used)
constexpr Art kCut = {
    ".................",
    ".....g.....g.....",
    "......g...g......",
    "......g...g......",
    ".......g.g.......",
    "........g........",
    ".......g.g.......",
    "......g...g......",
    "......g...g......",
    "....kg.....gk....",
    "..kkkkk...kkkkk..",
    "..k...k...k...k..",
    ".kk...kk.kk...kk.",
    "..k...k...k...k..",
    "..kkkkk...kkkkk..",
    "....k.......k....",
    ".................",
};

// 3: undo (not used)
constexpr Art kUndo = {
    ".................",
    ".................",
    ".....b...........",
    "....bb...........",
    "...bb............",
    "..bb.............",
    ".bb..bbbbbbbbb...",
    ".bb..bbbbbbbbb...",
    "..bb........bb...",
    "...bb.......bb...",
    "....bb......bb...",
    ".....b......bb...",
    "............bb...",
    ".................",
    ".................",
    ".................",
    ".................",
};

// 4: copy
constexpr Art kCopy = {
    ".................",
    ".kkkkkkkkk.......",
    ".kwwwwwwwk.......",
    ".kwbbbwwwk.......",
    ".kwwwwwwwk.......",
    ".kwbbbkkkkkkkkkk.",
    ".kwwwwkwwwwwwwwk.",
    ".kwbbbkwwwwwwwwk.",
    ".kwwwwkwbbbbbbwk.",
    ".kwwwwkwwwwwwwwk.",
    ".kwwwwkwbbbbbbwk.",
    ".kkkkkkwwwwwwwwk.",
    "......kwbbbbbbwk.",
    "......kwwwwwwwwk.",
    "......kwwwwwwwwk.",
    "......kkkkkkkkkk.",
    ".................",
};

// 5: delete
constexpr Art kDelete = {
    ".................",
    ".................",
    "..rr.........rr..",
    "..rrr.......rrr..",
    "...rrr.....rrr...",
    "....rrr...rrr....",
    ".....rrr.rrr.....",
    "......rrrrr......",
    ".......rrr.......",
    "......rrrrr......",
    ".....rrr.rrr.....",
    "....rrr...rrr....",
    "...rrr.....rrr...",
    "..rrr.......rrr..",
    "..rr.........rr..",
    ".................",
    ".................",
};

// 6: find
constexpr Art kFind = {
    ".................",
    ".....kkk.........",
    "...kkkkkkk.......",
    "..kkccccckk......",
    "..kccccccck......",
    ".kkccccccckk.....",
    ".kkccccccckk.....",
    ".kkccccccckk.....",
    "..kccccccck......",
    "..kkccccckk......",
    "...kkkkkknn......",
    ".....kkk.nnn.....",
    "..........nnn....",
    "...........nnn...",
    "............nnn..",
    ".............nnn.",
    "..............n..",
};

// 7: test generation
constexpr Art kGeneration = {
    ".................",
    ".................",
    "....G.......G....",
    "...G.........G...",
    "...G....y....G...",
    "...G....y....G...",
    "...G..y.y.y..G...",
    "...G...yyy...G...",
    ".GG..yyyyyyy..GG.",
    "...G...yyy...G...",
    "...G..y.y.y..G...",
    "...G....y....G...",
    "...G....y....G...",
    "...G.........G...",
    "....G.......G....",
    ".................",
    ".................",
};

// clang-format on

} // namespace

std::vector<tk::Picture> ToolbarPictures() {
  std::vector<tk::Picture> pictures;
  for (const Art* art : {&kOpen, &kPaste, &kCut, &kUndo, &kCopy, &kDelete, &kFind, &kGeneration})
    pictures.push_back(Draw(*art));
  return pictures;
}
