#include "json/MemoryBlocks.h"
#include "json/FileReading.h"
#include "json/JSONDocument.h"
#include "json/UJSON.h"

#include "TempFile.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <fcntl.h>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#endif

namespace {

using ujson::BlockCacheBound;
using ujson::CachedBytes;
using ujson::LargeBlockBytes;
using ujson::MemoryBlock;

constexpr std::size_t MiB = std::size_t{1} << 20;

// Every test starts from an empty cache, whatever ran before it in this process.
class MemoryBlocks : public testing::Test {
protected:
  void SetUp() override { ujson::DropCachedMemory(); }
  void TearDown() override { ujson::DropCachedMemory(); }
};

TEST_F(MemoryBlocks, AReleasedLargeBlockServesTheNextRequestOfAboutItsSize) {
  std::byte* first = nullptr;
  {
    MemoryBlock block(MiB);
    ASSERT_GE(block.size(), MiB);
    first = block.data();
    // Written through, as the pool does: the memory must be usable to its last byte.
    block.data()[0] = std::byte{1};
    block.data()[block.size() - 1] = std::byte{2};
  }
  EXPECT_GE(CachedBytes(), MiB);
  MemoryBlock again(MiB - 1000);
  EXPECT_EQ(again.data(), first);
  EXPECT_EQ(CachedBytes(), 0u);

  // A block far larger than asked for stays cached for a request it fits.
  { MemoryBlock big(16 * MiB); }
  MemoryBlock small(MiB);
  EXPECT_GE(CachedBytes(), 16 * MiB);
}

TEST_F(MemoryBlocks, TheCacheNeverHoldsMoreThanItsBound) {
  {
    std::vector<MemoryBlock> blocks;
    blocks.reserve(40);
    for (int i = 0; i < 40; ++i)
      blocks.emplace_back(4 * MiB);
  }
  EXPECT_GT(CachedBytes(), 0u);
  EXPECT_LE(CachedBytes(), BlockCacheBound);

  // Many small large blocks: the count of entries is bounded as well.
  {
    std::vector<MemoryBlock> blocks;
    blocks.reserve(2 * BlockCacheBound / LargeBlockBytes);
    for (std::size_t i = 0; i < 2 * BlockCacheBound / LargeBlockBytes; ++i)
      blocks.emplace_back(LargeBlockBytes);
  }
  EXPECT_LE(CachedBytes(), BlockCacheBound);

  // A block over the bound goes straight back to the system.
  ujson::DropCachedMemory();
  { MemoryBlock huge(BlockCacheBound + MiB); }
  EXPECT_EQ(CachedBytes(), 0u);

  // A small block comes from the heap and is never cached.
  { MemoryBlock small(LargeBlockBytes - 1); }
  EXPECT_EQ(CachedBytes(), 0u);
}

TEST_F(MemoryBlocks, ASpareTextIsReusedOnlyForATextOfAboutItsLength) {
  std::u16string text(MiB, u'x');
  // Its address only: the string gives its buffer away.
  const auto buffer = reinterpret_cast<std::uintptr_t>(text.data());
  ujson::KeepSpareText(std::move(text));
  EXPECT_GE(CachedBytes(), 2 * MiB);

  EXPECT_EQ(ujson::TakeSpareText(10).capacity(), std::u16string().capacity()) << "far too large";
  EXPECT_EQ(ujson::TakeSpareText(MiB + 1).capacity(), std::u16string().capacity()) << "too small";
  std::u16string reused = ujson::TakeSpareText(MiB - 1000);
  EXPECT_TRUE(reused.empty());
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(reused.data()), buffer);
  EXPECT_EQ(CachedBytes(), 0u);

  // A short text is not worth keeping.
  ujson::KeepSpareText(std::u16string(100, u'y'));
  EXPECT_EQ(CachedBytes(), 0u);
}

#if defined(__SANITIZE_ADDRESS__)
TEST_F(MemoryBlocks, ACachedBlockIsPoisonedUntilItIsTakenAgain) {
  std::byte* address = nullptr;
  {
    MemoryBlock block(MiB);
    address = block.data();
  }
  EXPECT_TRUE(__asan_address_is_poisoned(address + 100));
  MemoryBlock again(MiB);
  ASSERT_EQ(again.data(), address);
  EXPECT_FALSE(__asan_address_is_poisoned(address + 100));
}
#endif

TEST_F(MemoryBlocks, ThreadsMayTakeAndGiveBlocksAtOnce) {
  std::atomic<bool> overlapped{false};
  auto work = [&overlapped](std::byte mark) {
    for (int i = 0; i < 200; ++i) {
      MemoryBlock block(LargeBlockBytes * (1 + i % 5));
      block.data()[0] = mark;
      block.data()[block.size() - 1] = mark;
      std::this_thread::yield();
      if (block.data()[0] != mark || block.data()[block.size() - 1] != mark)
        overlapped = true;
      std::u16string text = ujson::TakeSpareText(MiB);
      text.assign(MiB, u'z');
      ujson::KeepSpareText(std::move(text));
    }
  };
  std::thread a(work, std::byte{1});
  std::thread b(work, std::byte{2});
  a.join();
  b.join();
  EXPECT_FALSE(overlapped) << "two threads were given the same block";
  EXPECT_LE(CachedBytes(), BlockCacheBound);
}

// A document of about 2 MB: its pool, child lists, bytes and text all use large blocks.
std::string BigDocument(int seed) {
  std::string text = "[";
  for (int i = 0; i < 60000; ++i) {
    text += i == 0 ? "\r\n  " : ",\r\n  ";
    text += "{\"id\": " + std::to_string(i * seed) + ", \"name\": \"n\\u00e4me " +
            std::to_string(i) + "\", \"v\": [1, 2.5, true]}";
  }
  return text + "\r\n]";
}

TEST_F(MemoryBlocks, DocumentsLoadedFromReusedMemoryReadAsFromFreshMemory) {
  const TempFile first(".json", BigDocument(1));
  const TempFile second(".json", BigDocument(7));
  const int64_t before = JSONInstanceCount;
  int64_t nodes = 0;
  for (int round = 0; round < 3; ++round) {
    {
      JSONRef document = JSONFromFile(first.Name());
      nodes = JSONInstanceCount - before;
      EXPECT_EQ(document->GetCount(), 60000);
      EXPECT_EQ(document->GetChild(59999)->GetChildByName(u"name")->GetAsString(),
                u"n\u00e4me 59999");
    }
    EXPECT_EQ(JSONInstanceCount, before) << "round " << round;
    EXPECT_GT(CachedBytes(), 0u);
    EXPECT_LE(CachedBytes(), BlockCacheBound);
    // Two documents at once out of the memory the first one left.
    JSONRef a = JSONFromFile(second.Name());
    JSONRef b = JSONFromFile(first.Name());
    EXPECT_EQ(JSONInstanceCount - before, 2 * nodes);
    EXPECT_EQ(a->GetChild(3)->GetChildByName(u"id")->GetAsInt(), 21);
    EXPECT_EQ(b->GetChild(3)->GetChildByName(u"id")->GetAsInt(), 3);
    EXPECT_EQ(DocumentTextOf(*b),
              DocumentTextOf(*JSONFromString(std::u16string(DocumentTextOf(*b)))));
  }
  EXPECT_EQ(JSONInstanceCount, before);
}

TEST_F(MemoryBlocks, AFileCutShortAndRewrittenWhileReadReadsAsSomePrefixOfIt) {
  std::string content(8 * MiB, '\0');
  for (std::size_t i = 0; i < content.size(); ++i)
    content[i] = static_cast<char>('a' + i % 23);
  const TempFile file(".json", content);
  std::atomic<bool> done{false};
  // Another program empties the file and writes it anew, again and again; the reader may see
  // it at any length, but only ever as it stood.
  std::thread writer([&] {
    const int fd = ::open(file.Path().c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    while (!done) {
      ASSERT_EQ(::ftruncate(fd, 0), 0);
      for (std::size_t at = 0; at < content.size() && !done; at += 1 << 16)
        ASSERT_GT(::pwrite(fd, content.data() + at, 1 << 16, static_cast<off_t>(at)), 0);
    }
    ::close(fd);
  });
  std::size_t shortest = content.size();
  for (int i = 0; i < 40; ++i) {
    const ujson::FileBytes bytes = ujson::ReadFileBytes(file.Name());
    ASSERT_LE(bytes.length, content.size());
    shortest = std::min(shortest, bytes.length);
    ASSERT_TRUE(bytes.View() == std::string_view(content).substr(0, bytes.length))
        << "read " << bytes.length << " bytes that the file never held";
  }
  done = true;
  writer.join();
  RecordProperty("shortest", static_cast<int>(shortest));
}

} // namespace
