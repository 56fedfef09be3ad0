#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

struct TextSearchOptions {
  bool MatchCase = false;  // false: letter case is ignored, one character to one
  bool WholeWords = false; // a hit needs a non-word character (or the text's end) on both sides
};

// Letters, digits and the underscore: what may not stand beside a whole-word hit. Letters are
// the units with a letter case (either one), and those of the common scripts without case.
class WordCharacters {
public:
  WordCharacters();
  bool Contains(char16_t C) const { return (*set_)[C]; }

private:
  std::unique_ptr<std::bitset<0x10000>> set_;
};

// One search pattern, ready to be looked for in a text, forwards or backwards, as often as
// needed. An empty pattern is found nowhere. Positions are 0-based indices into the text.
class TextSearch {
public:
  TextSearch(std::u16string_view Pattern, TextSearchOptions Options);

  // The first hit that starts at From or later; npos when there is none.
  std::size_t Next(std::u16string_view Text, std::size_t From) const;
  // The last hit that starts before Before; npos when there is none.
  std::size_t Previous(std::u16string_view Text, std::size_t Before) const;

  static constexpr std::size_t npos = std::u16string_view::npos;

private:
  bool MatchesAt(std::u16string_view Text, std::size_t At) const;
  bool StandsAlone(std::u16string_view Text, std::size_t At) const;
  char16_t Fold(char16_t C) const { return folding_ ? (*folding_)[C] : C; }

  std::u16string pattern_; // folded unless the case must match
  TextSearchOptions options_;
  // Each unit's upper case, built once per search: the text is folded unit by unit.
  std::unique_ptr<std::array<char16_t, 0x10000>> folding_;
  std::unique_ptr<WordCharacters> words_; // only for whole words
};
