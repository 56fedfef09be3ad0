#include "viewer/PathStatus.h"

#include <cstddef>

namespace {

constexpr std::u16string_view kEllipsis = u"\u2026";

bool IsLowSurrogate(char16_t Unit) { return Unit >= 0xDC00 && Unit <= 0xDFFF; }

// The greatest Count in [Low, High] for which Fits holds, Fits holding for Low and being
// monotone: true up to some count, false beyond it.
template <class Predicate>
std::size_t GreatestFitting(std::size_t Low, std::size_t High, Predicate&& Fits) {
  while (Low < High) {
    const std::size_t middle = Low + (High - Low + 1) / 2;
    if (Fits(middle))
      Low = middle;
    else
      High = middle - 1;
  }
  return Low;
}

} // namespace

std::u16string FitPathToRoom(std::span<const std::u16string> Steps, int Room,
                             const TextWidthOf& WidthOf) {
  std::u16string whole;
  for (const std::u16string& step : Steps)
    whole += step;
  if (Steps.empty() || WidthOf(whole) <= Room)
    return whole;

  const std::size_t count = Steps.size();
  // The first Head steps, the ellipsis and the last Tail steps.
  const auto shortened = [&](std::size_t Head, std::size_t Tail) {
    std::u16string text;
    for (std::size_t i = 0; i < Head; ++i)
      text += Steps[i];
    text += kEllipsis;
    for (std::size_t i = count - Tail; i < count; ++i)
      text += Steps[i];
    return text;
  };
  const auto fits = [&](std::size_t Head, std::size_t Tail) {
    return WidthOf(shortened(Head, Tail)) <= Room;
  };
  if (!fits(1, 0))
    return WidthOf(kEllipsis) <= Room ? std::u16string(kEllipsis) : std::u16string();

  // Something is dropped: at most count - 2 steps stay behind "$".
  const std::size_t tail =
      count < 2 ? 0
                : GreatestFitting(0, count - 2, [&](std::size_t Tail) { return fits(1, Tail); });
  if (tail > 0) {
    const std::size_t head =
        GreatestFitting(1, count - tail - 1, [&](std::size_t Head) { return fits(Head, tail); });
    return shortened(head, tail);
  }

  // Not even the last step fits whole: the end of the path, starting on a whole character.
  const std::u16string lead = Steps.front() + std::u16string(kEllipsis);
  const auto ending = [&](std::size_t Length) {
    std::size_t start = whole.size() - Length;
    if (start > 0 && start < whole.size() && IsLowSurrogate(whole[start]))
      ++start;
    return lead + whole.substr(start);
  };
  const std::size_t length =
      GreatestFitting(0, whole.size() - Steps.front().size(),
                      [&](std::size_t Length) { return WidthOf(ending(Length)) <= Room; });
  return ending(length);
}
