// A file read on a thread of its own while its owner follows the bytes as they come in.

#include "json/FileReadAhead.h"
#include "json/JSONError.h"

#include "TempFile.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <string_view>

namespace {

constexpr uint64_t kOnThread = 0;
constexpr uint64_t kAtOnce = std::numeric_limits<uint64_t>::max();

std::string RandomBytes(std::size_t length, std::mt19937& random) {
  std::string bytes(length, '\0');
  for (char& b : bytes)
    b = static_cast<char>(random() & 0xFF);
  return bytes;
}

// Follows the reading to its end as a normaliser does: every view is a prefix of the file and
// longer than the last, until the end.
std::string Follow(ujson::FileReadAhead& file, const std::string& expected) {
  std::size_t have = 0;
  bool ended = false;
  while (!ended) {
    const std::string_view bytes = file.Await(have, ended);
    EXPECT_TRUE(ended || bytes.size() > have);
    EXPECT_EQ(bytes, std::string_view(expected).substr(0, bytes.size()));
    have = bytes.size();
  }
  return std::string(file.TakeBytes().View());
}

TEST(FileReadAheadTest, GivesEveryPrefixAsItComesInAndTheWholeFileAtItsEnd) {
  std::mt19937 random(15u);
  for (const std::size_t length : {0, 1, 2, 3, 4, 100, 4095, 65537, 300000}) {
    const std::string content = RandomBytes(length, random);
    const TempFile file(".bin", content);
    for (const uint64_t from : {kOnThread, kAtOnce}) {
      for (const std::size_t chunk : {1, 7, 4096, 1 << 20}) {
        ujson::FileReadAhead ahead(file.Name(), chunk, from);
        EXPECT_EQ(ahead.Head().View(), std::string_view(content).substr(0, 3));
        EXPECT_EQ(Follow(ahead, content), content) << length << " bytes in chunks of " << chunk;
      }
    }
  }
}

#ifdef __linux__
// Files under /proc report no size and have content: the block grows as the reading goes on,
// while the owner may still be reading the one it was given.
TEST(FileReadAheadTest, ReadsAFileLongerThanItsReportedSizeToItsEnd) {
  const std::u16string name = u"/proc/self/cmdline";
  const std::string expected = ujson::ReadWholeFile(name);
  ASSERT_GT(expected.size(), 3u);
  ujson::FileReadAhead ahead(name, 1, kOnThread);
  EXPECT_EQ(ahead.ReportedSize(), 0u);
  EXPECT_EQ(Follow(ahead, expected), expected);
}
#endif

TEST(FileReadAheadTest, StopsWhenItsOwnerGoesBeforeTheEnd) {
  std::mt19937 random(16u);
  const std::string content = RandomBytes(std::size_t{8} << 20, random);
  const TempFile file(".bin", content);
  for (int n = 0; n < 20; ++n) {
    ujson::FileReadAhead ahead(file.Name(), 4096, kOnThread);
    bool ended = false;
    EXPECT_GE(ahead.Await(0, ended).size(), 3u);
    EXPECT_FALSE(ended);
  }
}

TEST(FileReadAheadTest, ThrowsWhatOpeningTheFileThrowsAtOnce) {
  const std::u16string missing = u"treskal-no-such-file.json";
  try {
    ujson::FileReadAhead ahead(missing, 4096, kOnThread);
    ADD_FAILURE() << "a missing file was opened";
  } catch (const EJSONError& e) {
    EXPECT_NE(std::string(e.what()).find("Cannot open file"), std::string::npos) << e.what();
  }
}

} // namespace
