#include "json/InvariantUpperCase.h"

#include "json/InvariantUpperCaseTable.h"

#include <algorithm>
#include <iterator>

namespace ujson {

char16_t InvariantUpperCase(char16_t c) {
  // Names are mostly ASCII; the search below is for the rest.
  if (c < 0x80)
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - (u'a' - u'A')) : c;
  const auto* const runs = std::begin(detail::UpperCaseRuns);
  const auto* const end = std::end(detail::UpperCaseRuns);
  const auto* run = std::upper_bound(
      runs, end, c, [](char16_t unit, const detail::TUpperCaseRun& r) { return unit < r.First; });
  if (run == runs)
    return c;
  --run;
  if (c > run->Last || (c - run->First) % run->Stride != 0)
    return c;
  return static_cast<char16_t>(c + run->Delta);
}

} // namespace ujson
