// Pages touched on another thread ahead of the writer of a buffer.

#include "json/PagePretouch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <random>
#include <vector>

namespace {

constexpr std::size_t kPage = 4096;

// The writer claims its way through the buffer in random steps and writes every byte it
// claimed at once: a touch inside a claim would show as a zero among them. Ahead of the last
// claim nothing may be touched beyond the lead.
TEST(PagePretouchTest, TouchesOnlyAheadOfTheWriterAndWithinItsLead) {
  std::mt19937 random(21u);
  for (int round = 0; round < 40; ++round) {
    const std::size_t size =
        std::uniform_int_distribution<std::size_t>(1, 1024)(random) * kPage + random() % kPage;
    const std::size_t lead = std::uniform_int_distribution<std::size_t>(1, 8)(random) * kPage;
    std::vector<unsigned char> buffer(size, 0xFF);
    std::size_t claimed = std::min<std::size_t>(size, random() % 100);
    {
      ujson::PagePretouch pretouch(buffer.data(), size, claimed, lead);
      std::fill(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(claimed), 0xAB);
      const std::size_t stop = size / 2 + random() % (size / 2);
      // In some rounds the writer runs far ahead of a thread that has barely started.
      const std::size_t longestStep = round % 2 == 0 ? 3 * kPage : size;
      while (claimed < stop) {
        const std::size_t next = std::min(
            stop, claimed + std::uniform_int_distribution<std::size_t>(1, longestStep)(random));
        pretouch.Claim(next);
        std::fill(buffer.begin() + static_cast<std::ptrdiff_t>(claimed),
                  buffer.begin() + static_cast<std::ptrdiff_t>(next), 0xAB);
        claimed = next;
      }
    }
    ASSERT_TRUE(std::all_of(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(claimed),
                            [](unsigned char b) { return b == 0xAB; }))
        << "a touch inside the claim, round " << round;
    for (std::size_t at = claimed; at < size; ++at) {
      ASSERT_TRUE(buffer[at] == 0xFF || (buffer[at] == 0 && at < claimed + lead + kPage))
          << "byte " << at << " of " << size << ", claimed " << claimed << ", lead " << lead;
    }
  }
}

TEST(PagePretouchTest, GoesAtOnceWhenTheWriterNeedsNoMore) {
  std::vector<unsigned char> buffer(std::size_t{256} * kPage, 0xFF);
  for (int n = 0; n < 50; ++n) {
    const ujson::PagePretouch pretouch(buffer.data(), buffer.size(), 0, kPage);
  }
  // A buffer all claimed from the start is never touched.
  std::fill(buffer.begin(), buffer.end(), 0xCD);
  { const ujson::PagePretouch pretouch(buffer.data(), buffer.size(), buffer.size(), kPage); }
  EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](unsigned char b) { return b == 0xCD; }));
}

} // namespace
