#include "json/FileReading.h"

#include "json/JSONError.h"
#include "json/JSONLimits.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#endif

namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using ujson::FewestCharacters;
using ujson::MaxTextLength;
using ujson::ReadWholeFile;

// A fresh directory that is removed with everything in it.
class TempDir {
public:
  TempDir() {
    std::random_device random;
    for (;;) {
      path_ = fs::temp_directory_path() / ("treskal-test-" + std::to_string(random()));
      if (fs::create_directory(path_))
        break;
    }
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }

  const fs::path& path() const { return path_; }

private:
  fs::path path_;
};

fs::path WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return path;
}

// The message ReadWholeFile gave, or a note that it gave none.
std::string FailureOf(const std::u16string& fileName) {
  try {
    ReadWholeFile(fileName);
  } catch (const EJSONError& error) {
    return error.what();
  }
  return "(no error)";
}

#ifdef _WIN32
const std::string kNotFound = "The system cannot find the file specified";
#else
const std::string kNotFound = "No such file or directory";
#endif

std::string Quoted(const fs::path& path) {
  const auto text = path.u8string();
  // Built step by step: GCC 12 warns falsely (-Wrestrict) about "\"" + std::string here.
  std::string quoted(1, '"');
  quoted.append(text.begin(), text.end());
  quoted += '"';
  return quoted;
}

TEST(FileReading, AMissingFileIsReportedWithItsFullPathAndTheSystemsReason) {
  TempDir dir;
  const fs::path missing = dir.path() / "missing.json";
  EXPECT_EQ(FailureOf(missing.u16string()),
            "Cannot open file " + Quoted(missing) + ". " + kNotFound);

  const fs::path roundabout = dir.path() / "sub" / ".." / "missing.json";
  EXPECT_EQ(FailureOf(roundabout.u16string()),
            "Cannot open file " + Quoted(missing) + ". " + kNotFound)
      << "the path is made absolute and normalised";

  const fs::path relative = "no-such-file-here.json";
  EXPECT_EQ(FailureOf(relative.u16string()),
            "Cannot open file " + Quoted(fs::current_path() / relative) + ". " + kNotFound);
}

TEST(FileReading, ANameWithANulIsRefusedRatherThanCutShort) {
  TempDir dir;
  const fs::path real = WriteFile(dir.path() / "real.json", "[1]");
  const std::u16string name = real.u16string() + u'\0' + u"more";
  const std::string message = FailureOf(name);
  EXPECT_EQ(message.rfind("Cannot open file \"", 0), 0u) << message;
}

TEST(FileReading, ADirectoryCannotBeOpenedAsAFile) {
  TempDir dir;
  const std::string message = FailureOf(dir.path().u16string());
  EXPECT_EQ(message.rfind("Cannot open file \"", 0), 0u) << message;
#ifndef _WIN32
  EXPECT_EQ(message, "Cannot open file " + Quoted(dir.path()) + ". Is a directory");
#endif
}

TEST(FileReading, FilesAreReadByteForByte) {
  TempDir dir;
  EXPECT_EQ(ReadWholeFile(WriteFile(dir.path() / "empty.json", "").u16string()), "");

  std::string binary;
  for (int round = 0; round < 1000; ++round)
    for (int b = 0; b < 256; ++b)
      binary += static_cast<char>(b ^ round);
  binary += "\x1A\r\n\0\xFF"s; // what text-mode reading would mangle
  EXPECT_EQ(ReadWholeFile(WriteFile(dir.path() / "binary.bin", binary).u16string()), binary);

  const std::string content = "{\"ключ\": \"значение\"}";
  const fs::path cyrillic = dir.path() / fs::path(u8"данные.json");
  EXPECT_EQ(ReadWholeFile(WriteFile(cyrillic, content).u16string()), content);
}

TEST(FileReading, AFileStaysReadableByOthersWhileItIsRead) {
  TempDir dir;
  const fs::path path = WriteFile(dir.path() / "shared.json", "[1]");
  EXPECT_EQ(ReadWholeFile(path.u16string()), "[1]");
  std::ifstream other(path, std::ios::binary);
  ASSERT_TRUE(other.is_open());
  EXPECT_EQ(ReadWholeFile(path.u16string()), "[1]");
}

TEST(FileReading, AFileThatAnotherProgramHoldsOpenForWritingIsReadAsItStandsNow) {
  TempDir dir;
  const fs::path path = dir.path() / "growing.log";
  std::ofstream writer(path, std::ios::binary);
  ASSERT_TRUE(writer.is_open());
  writer << "[1," << std::flush;
  EXPECT_EQ(ReadWholeFile(path.u16string()), "[1,");
  writer << "2]" << std::flush;
  EXPECT_EQ(ReadWholeFile(path.u16string()), "[1,2]");
  // The writer may cut the file short too; a reader shown it afterwards sees the short file.
  fs::resize_file(path, 2);
  EXPECT_EQ(ReadWholeFile(path.u16string()), "[1");
}

#ifndef _WIN32
TEST(FileReading, APipeIsRefusedInsteadOfWaitedOn) {
  TempDir dir;
  const fs::path fifo = dir.path() / "pipe";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(FailureOf(fifo.u16string()),
            "Cannot open file " + Quoted(fifo) + ". Not a regular file");
}
#endif

#ifdef __linux__
TEST(FileReading, AFileWhoseReportedSizeIsZeroIsStillReadToItsEnd) {
  const std::string status = ReadWholeFile(u"/proc/self/status");
  EXPECT_EQ(status.rfind("Name:", 0), 0u) << status.substr(0, 40);
}
#endif

TEST(FileReading, TheSizeBoundNeverRefusesAFileWhoseTextCouldFit) {
  const auto max = static_cast<uint64_t>(MaxTextLength);
  // Without a mark the densest decoding is UTF-8 of three-byte characters.
  EXPECT_EQ(FewestCharacters(3 * max, "{\"a"), MaxTextLength);
  EXPECT_EQ(FewestCharacters(3 * max + 1, "{\"a"), MaxTextLength + 1);
  // 3 GB of three-byte characters after a UTF-8 mark make a billion characters.
  EXPECT_EQ(FewestCharacters(3 + 3'000'000'000, "\xEF\xBB\xBF"), 1'000'000'000);
  EXPECT_EQ(FewestCharacters(3 + 3 * max + 1, "\xEF\xBB\xBF"), MaxTextLength + 1);
  // UTF-16 of either order: two bytes a unit, and an odd last byte one more.
  EXPECT_EQ(FewestCharacters(2 + 2 * max, "\xFF\xFE["), MaxTextLength);
  EXPECT_EQ(FewestCharacters(2 + 2 * max + 1, "\xFE\xFF\0"), MaxTextLength + 1);
  // Short files and files that merely begin like a mark.
  EXPECT_EQ(FewestCharacters(0, ""), 0);
  EXPECT_EQ(FewestCharacters(2, "\xEF\xBB"), 1);
  EXPECT_EQ(FewestCharacters(1, "\xFF"), 1);
  EXPECT_EQ(FewestCharacters(UINT64_MAX, "\xFF\xFE"), static_cast<int64_t>(UINT64_MAX / 2));
  EXPECT_NO_THROW(ujson::CheckFileLength(3 * max, MaxTextLength));
}

#ifndef _WIN32
// The most memory the process has held so far, in bytes.
int64_t PeakResidentBytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return int64_t{usage.ru_maxrss} * 1024; // kilobytes on Linux
}
#endif

// Sparse files: the sizes cost no disk, and reading them whole would take gigabytes of memory.
TEST(FileReading, AFileTooLongForATextIsRefusedBeforeItIsRead) {
  TempDir dir;
  const struct {
    const char* name;
    std::string head;
    uint64_t size;
    int64_t fewest;
  } cases[] = {
      {"plain.json", "[", uint64_t{7} << 30, (int64_t{7} << 30) / 3 + 1},
      {"utf16.json", std::string("\xFF\xFE[\0", 4), uint64_t{5} << 30,
       ((int64_t{5} << 30) - 2) / 2},
  };
#ifndef _WIN32
  const int64_t peakBefore = PeakResidentBytes();
#endif
  for (const auto& c : cases) {
    const fs::path path = WriteFile(dir.path() / c.name, c.head);
    std::error_code error;
    fs::resize_file(path, c.size, error);
    if (error)
      GTEST_SKIP() << "no room for a sparse file here: " << error.message();
    EXPECT_EQ(FailureOf(path.u16string()), "The file is too long: its " + std::to_string(c.size) +
                                               " bytes make at least " + std::to_string(c.fewest) +
                                               " characters, at most " +
                                               std::to_string(MaxTextLength) + " are supported");
  }
#ifndef _WIN32
  EXPECT_LT(PeakResidentBytes() - peakBefore, int64_t{64} << 20)
      << "the refusal came only after the file was taken into memory";
#endif
}

} // namespace
