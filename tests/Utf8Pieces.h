#pragma once

// Drives NormalizeUtf8Some the way a streaming read does: bytes come in pieces, and what a call
// leaves unread is given again in front of the next piece. Every call gets copies of exactly the
// bytes it may read and exactly the room it may write, so that a sanitizer sees any access past
// them; a broken part of the contract is reported in Fault.

#include "json/NormalizeText.h"
#include "json/UnicodeConversion.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace utf8_pieces {

struct Result {
  std::u16string Text;
  ujson::Utf8Tally Tally;
  std::string Fault; // empty when every call kept the contract
};

// The most bytes a call that is not the last may leave unread.
inline constexpr std::size_t kMostLeft = 12;

// nextLength() gives the length of each new piece, at least 1.
template <class NextLength> Result Normalize(std::string_view bytes, NextLength nextLength) {
  Result result;
  std::string pending;
  ujson::NormalizeState state;
  std::size_t fed = 0;
  for (;;) {
    const std::size_t take = std::min<std::size_t>(nextLength(), bytes.size() - fed);
    pending.append(bytes.substr(fed, take));
    fed += take;
    const bool final = fed == bytes.size();
    const std::size_t avail = pending.size();
    const auto in = std::make_unique<unsigned char[]>(avail);
    std::memcpy(in.get(), pending.data(), avail);
    const auto out = std::make_unique<char16_t[]>(avail + 1);
    std::size_t r = 0;
    std::size_t w = 0;
    ujson::NormalizeUtf8Some(in.get(), r, avail, final, out.get(), w, state, &result.Tally);
    result.Text.append(out.get(), std::min(w, avail + 1));
    if (w > avail + 1 || r > avail) {
      result.Fault = "a call went past its bytes or its room";
      return result;
    }
    if (final) {
      if (r != avail)
        result.Fault = "the last call left bytes unread";
      return result;
    }
    if (avail - r > kMostLeft) {
      result.Fault = "a call stopped more than " + std::to_string(kMostLeft) + " bytes early";
      return result;
    }
    pending.erase(0, r);
  }
}

// One call over the whole text, with room for exactly as many units as there are bytes: from
// the start of a text the pass never needs more, its scratch units included.
inline Result NormalizeWhole(std::string_view bytes) {
  Result result;
  const std::size_t n = bytes.size();
  const auto in = std::make_unique<unsigned char[]>(n);
  std::memcpy(in.get(), bytes.data(), n);
  const auto out = std::make_unique<char16_t[]>(n);
  std::size_t r = 0;
  std::size_t w = 0;
  ujson::NormalizeState state;
  ujson::NormalizeUtf8Some(in.get(), r, n, true, out.get(), w, state, &result.Tally);
  result.Text.assign(out.get(), std::min(w, n));
  if (r != n || w > n)
    result.Fault = "one call over the whole text left bytes or wrote past them";
  return result;
}

} // namespace utf8_pieces
