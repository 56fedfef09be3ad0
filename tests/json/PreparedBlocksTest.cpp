// Memory blocks made ready on another thread, and the big parse that takes its record chunks
// from them.

#include "json/PreparedBlocks.h"
#include "json/UJSON.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace {

// Waits for a ready block: the thread makes it soon, but there is no promise of when.
ujson::MemoryBlock TakeOnceReady(ujson::PreparedBlocks& blocks) {
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  for (;;) {
    ujson::MemoryBlock block = blocks.Take();
    if (block.data() != nullptr || std::chrono::steady_clock::now() > giveUp)
      return block;
    std::this_thread::yield();
  }
}

TEST(PreparedBlocksTest, HandsOverBlocksOfTheSizeAskedForOneAfterAnother) {
  constexpr std::size_t kBytes = (std::size_t{1} << 20) + 100;
  ujson::PreparedBlocks blocks(kBytes, 2);
  std::vector<ujson::MemoryBlock> taken;
  std::set<const std::byte*> distinct;
  for (int n = 0; n < 6; ++n) {
    ujson::MemoryBlock block = TakeOnceReady(blocks);
    ASSERT_NE(block.data(), nullptr) << "no block came ready";
    EXPECT_GE(block.size(), kBytes);
    std::memset(block.data(), n, block.size());
    distinct.insert(block.data());
    taken.push_back(std::move(block));
  }
  EXPECT_EQ(distinct.size(), taken.size());
}

TEST(PreparedBlocksTest, GivesBackWhatIsReadyWhenItGoes) {
  // Under the sanitizers a block not given back is a leak.
  for (int n = 0; n < 10; ++n) {
    ujson::PreparedBlocks blocks(std::size_t{1} << 20, 2);
    if (n % 2 == 0) {
      EXPECT_NE(TakeOnceReady(blocks).data(), nullptr);
    }
  }
}

// Far more records than the growing chunks hold, so most sit in prepared chunks; every value
// and the count must be what the text says.
TEST(PreparedBlocksTest, ABigParseKeepsEveryRecordInTheChunksMadeReadyBesideIt) {
  constexpr int kElements = 700000;
  std::u16string text = u"[";
  for (int i = 0; i < kElements; ++i) {
    if (i != 0)
      text += u",";
    for (const char c : std::to_string(i))
      text += static_cast<char16_t>(c);
  }
  text += u"]";
  ASSERT_GE(text.size(), std::size_t{4} << 20);
  const int64_t before = JSONInstanceCount;
  {
    const JSONRef document = JSONFromString(text);
    ASSERT_EQ(document->GetCount(), kElements);
    EXPECT_EQ(JSONInstanceCount - before, kElements + 1);
    for (int i = 0; i < kElements; i += 997)
      EXPECT_EQ(document->GetChild(i)->GetAsInt(), i);
    EXPECT_EQ(document->GetChild(kElements - 1)->GetAsInt(), kElements - 1);
  }
  EXPECT_EQ(JSONInstanceCount, before);
}

} // namespace
