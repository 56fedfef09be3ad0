// load_bench: how fast JSONFromFile loads real documents, side by side with RapidJSON's DOM on
// the same bytes, and how much memory the loaded tree takes.
//
// Every measurement runs in a freshly forked child process: its peak memory is then the load's
// own, and each load starts from a cold heap, as when a user opens a file in a new viewer (the
// kernel has to hand out and zero fresh pages for the text and the nodes). The file itself is
// in the page cache: the parent reads it once before measuring.
//
// Usage: load_bench [--quick] [--no-big] [--no-phases] [--reps N] [--mib N] [FILE...]
//        load_bench [--quick] [--mib N] --generate PATH
//   --quick          fewer repetitions and a 10 MiB generated file instead of 100 MiB
//   --no-big         skip the generated pretty-printed file
//   --no-phases      skip the table of load phases
//   --reps N         runs per measurement
//   --mib N          the generated file's size in MiB (1024 for the 1 GB figures)
//   --generate PATH  only write the generated document to PATH (for profiling it by hand)
//   FILE...          documents to load instead of the shared ones
//
// MB are 10^6 bytes; throughput is input bytes per second. Times are the median of the runs
// (the best run is given for the load as well).

#include "json/FileReading.h"
#include "json/JSONDocument.h"
#include "json/MemoryBlocks.h"
#include "json/NormalizeText.h"
#include "json/TextDecoding.h"
#include "json/UJSON.h"
#include "json/UnicodeConversion.h"

#include "bench/NodeCount.h"
#include "bench/ProcessStatus.h"
#include "viewer/StrictValidity.h"

#include <rapidjson/document.h>
#include <rapidjson/error/en.h>

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cinttypes>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#ifndef TRESKAL_SHARED_DATA_DIR
#define TRESKAL_SHARED_DATA_DIR ""
#endif

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// --- memory figures ---------------------------------------------------------------------------

struct MemoryProbe {
  int64_t peakBefore = StatusKiB("VmHWM");
  int64_t residentBefore = StatusKiB("VmRSS");

  int64_t PeakGrowthBytes() const { return (StatusKiB("VmHWM") - peakBefore) * 1024; }
  int64_t ResidentGrowthBytes() const { return (StatusKiB("VmRSS") - residentBefore) * 1024; }
};

// --- running one measurement in a child process ----------------------------------------------

// The load phases that MeasurePhases times.
enum Phase { kRead, kDecode, kNormalize, kParse, kCheck, kRelease, kOnePass, kPhaseCount };
constexpr std::array<const char*, kPhaseCount> kPhaseNames = {
    "ReadFileBytes", "DecodeFileBytes", "NormalizeText", "parse",
    "strict check",  "release",         "one pass"};

// What a child reports back through its pipe. Plain data only.
struct Sample {
  bool ok = false;
  double seconds = 0;      // the whole measured operation
  double parseSeconds = 0; // RapidJSON: the parse alone
  std::array<double, kPhaseCount> phases{};
  int64_t nodes = 0;
  int64_t liveNodes = 0; // JSONInstanceCount growth, as a cross-check of the walk
  int64_t peakBytes = 0;
  int64_t residentBytes = 0;
  char error[240] = {};
};

void SetError(Sample& sample, std::string_view message) {
  const size_t n = std::min(message.size(), sizeof sample.error - 1);
  std::memcpy(sample.error, message.data(), n);
  sample.error[n] = '\0';
}

bool WriteAll(int fd, const void* data, size_t size) {
  const auto* p = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(fd, p, size);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return false;
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool ReadAll(int fd, void* data, size_t size) {
  auto* p = static_cast<char*>(data);
  while (size > 0) {
    const ssize_t n = ::read(fd, p, size);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return false;
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

// Runs `measure` in a forked child and returns what it reported. The child leaves with _exit,
// so the measured objects are never destroyed and no parent state is flushed twice.
Sample InChild(const std::function<void(Sample&)>& measure) {
  int fds[2];
  if (::pipe(fds) != 0) {
    Sample failed;
    SetError(failed, "pipe failed");
    return failed;
  }
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    // A new viewer starts without the blocks this process keeps for its next load.
    ujson::DropCachedMemory();
    Sample sample;
    try {
      measure(sample);
    } catch (const std::exception& e) {
      sample.ok = false;
      SetError(sample, e.what());
    }
    const bool written = WriteAll(fds[1], &sample, sizeof sample);
    ::_exit(written ? 0 : 1);
  }
  ::close(fds[1]);
  Sample sample;
  if (pid < 0) {
    SetError(sample, "fork failed");
  } else {
    if (!ReadAll(fds[0], &sample, sizeof sample)) {
      sample = Sample{};
      SetError(sample, "the measuring process died");
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }
  ::close(fds[0]);
  return sample;
}

// --- the measurements ------------------------------------------------------------------------

void MeasureTreskal(const std::u16string& fileName, Sample& sample) {
  ResetPeak();
  const MemoryProbe memory;
  const int64_t liveBefore = JSONInstanceCount;
  const auto start = Clock::now();
  JSONRef document = JSONFromFile(fileName);
  sample.seconds = SecondsSince(start);
  sample.peakBytes = memory.PeakGrowthBytes();
  sample.residentBytes = memory.ResidentGrowthBytes();
  sample.liveNodes = JSONInstanceCount - liveBefore;
  sample.nodes = CountNodes(*document);
  sample.ok = true;
}

// Counts values the way the node walk counts nodes: every value, members' values included.
int64_t CountValues(const rapidjson::Value& root) {
  int64_t count = 0;
  std::vector<const rapidjson::Value*> pending{&root};
  while (!pending.empty()) {
    const rapidjson::Value* value = pending.back();
    pending.pop_back();
    ++count;
    if (value->IsObject()) {
      for (const auto& member : value->GetObject())
        pending.push_back(&member.value);
    } else if (value->IsArray()) {
      for (const auto& element : value->GetArray())
        pending.push_back(&element);
    }
  }
  return count;
}

void MeasureRapidJson(const std::u16string& fileName, Sample& sample) {
  ResetPeak();
  const MemoryProbe memory;
  const auto start = Clock::now();
  // Read with the same routine as JSONFromFile, so the two differ only after the bytes are in.
  const ujson::FileBytes bytes = ujson::ReadFileBytes(fileName);
  rapidjson::Document document;
  const auto parseStart = Clock::now();
  document.Parse(bytes.View().data(), bytes.length);
  const auto end = Clock::now();
  sample.seconds = std::chrono::duration<double>(end - start).count();
  sample.parseSeconds = std::chrono::duration<double>(end - parseStart).count();
  sample.peakBytes = memory.PeakGrowthBytes();
  sample.residentBytes = memory.ResidentGrowthBytes();
  if (document.HasParseError()) {
    SetError(sample,
             std::string("RapidJSON: ") + rapidjson::GetParseError_En(document.GetParseError()));
    return;
  }
  sample.nodes = CountValues(document);
  sample.ok = true;
}

// The steps of TJSON::LoadFromFile with the viewer's inspector, one by one, then the release of
// the tree. The viewer's strict check runs over the decoded text between decoding and
// normalising; it is timed apart and set against the four load phases. "one pass" is what a load
// without the inspector does instead of decoding and normalising (NormalizedFileText), timed
// first, on bytes read apart, and set against the load phases too.
void MeasurePhases(const std::u16string& fileName, Sample& sample) {
  auto start = Clock::now();
  auto lap = [&start](double& into) {
    const auto now = Clock::now();
    into = std::chrono::duration<double>(now - start).count();
    start = now;
  };
  {
    const ujson::FileBytes bytes = ujson::ReadFileBytes(fileName);
    start = Clock::now();
    const std::u16string text = ujson::NormalizedFileText(bytes.View());
    lap(sample.phases[kOnePass]);
  }
  start = Clock::now();
  std::u16string text;
  {
    const ujson::FileBytes bytes = ujson::ReadFileBytes(fileName);
    lap(sample.phases[kRead]);
    text = ujson::DecodeFileBytes(bytes.View());
    lap(sample.phases[kDecode]);
  }
  start = Clock::now(); // freeing the bytes belongs to no phase
  if (CheckStrictJson(text))
    throw std::runtime_error("the strict check refused the document");
  lap(sample.phases[kCheck]);
  CountedRef<TJSON> document(TJSON::Create());
  document->FText = std::move(text);
  ujson::NormalizeText(document->FText);
  lap(sample.phases[kNormalize]);
  int32_t position = 1;
  document->Parse(position);
  lap(sample.phases[kParse]);
  sample.nodes = CountNodes(*document);
  start = Clock::now();
  document.reset();
  lap(sample.phases[kRelease]);
  sample.ok = true;
}

// --- statistics and formatting ---------------------------------------------------------------

double Median(std::vector<double> values) {
  if (values.empty())
    return 0;
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double Best(const std::vector<double>& values) {
  return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
  char buffer[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  return buffer;
}

double MBps(uintmax_t bytes, double seconds) {
  return seconds > 0 ? static_cast<double>(bytes) / 1e6 / seconds : 0;
}

double MB(int64_t bytes) { return static_cast<double>(bytes) / 1e6; }

// --- the generated pretty-printed document ---------------------------------------------------

// A deterministic document of records: objects nested three deep, strings (some with escapes
// and non-ASCII text), integers, decimals, booleans, null and short arrays, written with
// two-space indentation and CR LF line ends, as an editor on Windows would save it.
class RecordWriter {
public:
  explicit RecordWriter(std::FILE* file) : file_(file) {}

  void Write(uintmax_t minimumBytes) {
    Put("[");
    for (uint64_t id = 1;; ++id) {
      Put(id == 1 ? "\r\n" : ",\r\n");
      Record(id);
      if (written_ >= minimumBytes)
        break;
    }
    Put("\r\n]\r\n");
    Flush();
  }

  uintmax_t Written() const { return written_; }

private:
  static constexpr std::array<const char*, 8> kCities = {
      "Springfield",
      "Z\xC3\xBCrich",
      "S\xC3\xA3o Paulo",
      "\xE6\x9D\xB1\xE4\xBA\xAC",
      "Montr\xC3\xA9"
      "al",
      "\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0",
      "Oslo",
      "Lagos"};
  static constexpr std::array<const char*, 6> kTags = {"alpha", "beta",  "gamma",
                                                       "delta", "omega", "sigma"};
  static constexpr std::array<const char*, 4> kEvents = {"created", "updated", "shipped",
                                                         "returned"};

  uint64_t Next() {
    state_ = state_ * 6364136223846793005ULL + 1442695040888963407ULL;
    return state_ >> 33;
  }

  void Put(std::string_view s) {
    buffer_.append(s);
    written_ += s.size();
    if (buffer_.size() >= (1u << 20))
      Flush();
  }
  void Flush() {
    std::fwrite(buffer_.data(), 1, buffer_.size(), file_);
    buffer_.clear();
  }
  void Line(int indent, const std::string& text) {
    Put(std::string(static_cast<size_t>(indent) * 2, ' '));
    Put(text);
  }

  // Each random figure is drawn in its own statement, so the document does not depend on the
  // order in which a compiler evaluates function arguments.
  void Record(uint64_t id) {
    const uint64_t r = Next();
    const uint64_t guid1 = Next() & 0xFFFFFFFF, guid2 = Next() & 0xFFFF, guid3 = Next() & 0xFFF;
    const uint64_t guid4 = (Next() << 16 ^ Next()) & 0xFFFFFFFFFFFF;
    const uint64_t scoreWhole = Next() % 1000, scoreFraction = Next() % 1000;
    const uint64_t balanceWhole = Next() % 10, balanceFraction = Next() % 100;
    const uint64_t balanceExponent = Next() % 5;
    const char* tag1 = kTags[Next() % kTags.size()];
    const char* tag2 = kTags[Next() % kTags.size()];
    const char* tag3 = kTags[Next() % kTags.size()];
    const uint64_t street = Next() % 9999 + 1;
    const char* city = kCities[Next() % kCities.size()];
    const uint64_t zip = Next() % 100000;
    const uint64_t latWhole = Next() % 90, latFraction = Next() % 1000000;
    const uint64_t lngWhole = Next() % 180, lngFraction = Next() % 1000000;

    Line(1, "{\r\n");
    Line(2, Format("\"id\": %" PRIu64 ",\r\n", id));
    Line(2, Format("\"guid\": \"%08" PRIx64 "-%04" PRIx64 "-4%03" PRIx64 "-%012" PRIx64 "\",\r\n",
                   guid1, guid2, guid3, guid4));
    Line(2, Format("\"name\": \"Record %06" PRIu64 "\",\r\n", id));
    Line(2, Format("\"active\": %s,\r\n", r % 3 == 0 ? "false" : "true"));
    Line(2, Format("\"score\": %" PRIu64 ".%03" PRIu64 ",\r\n", scoreWhole, scoreFraction));
    Line(2, Format("\"balance\": -%" PRIu64 ".%02" PRIu64 "e%" PRIu64 ",\r\n", balanceWhole,
                   balanceFraction, balanceExponent));
    if (r % 7 == 0)
      Line(2, "\"parent\": null,\r\n");
    else
      Line(2, Format("\"parent\": %" PRIu64 ",\r\n", id / 2));
    Line(2, Format("\"tags\": [\"%s\", \"%s\", \"%s\"],\r\n", tag1, tag2, tag3));
    Line(2, "\"address\": {\r\n");
    Line(3, Format("\"street\": \"%" PRIu64 " Main Street\",\r\n", street));
    Line(3, Format("\"city\": \"%s\",\r\n", city));
    Line(3, Format("\"zip\": \"%05" PRIu64 "\",\r\n", zip));
    Line(3, "\"geo\": {\r\n");
    Line(4, Format("\"lat\": %" PRIu64 ".%06" PRIu64 ",\r\n", latWhole, latFraction));
    Line(4, Format("\"lng\": -%" PRIu64 ".%06" PRIu64 "\r\n", lngWhole, lngFraction));
    Line(3, "}\r\n");
    Line(2, "},\r\n");
    Line(2, "\"history\": [\r\n");
    const uint64_t events = Next() % 3 + 1;
    for (uint64_t e = 0; e < events; ++e) {
      const uint64_t ts = 1600000000 + Next() % 100000000;
      const char* event = kEvents[Next() % kEvents.size()];
      Line(3, Format("{ \"ts\": %" PRIu64 ", \"event\": \"%s\" }%s\r\n", ts, event,
                     e + 1 < events ? "," : ""));
    }
    Line(2, "],\r\n");
    Line(2, Format("\"note\": \"Line one\\nLine \\\"two\\\" of record %" PRIu64
                   " \\u00e9t\\u00e9 \\/ done\"\r\n",
                   id));
    Line(1, "}");
  }

  std::FILE* file_;
  std::string buffer_;
  uintmax_t written_ = 0;
  uint64_t state_ = 0x853C49E6748FEA9BULL;
};

// A temporary folder removed when the benchmark ends.
class TemporaryFolder {
public:
  TemporaryFolder()
      : path_(fs::temp_directory_path() / ("treskal-load-bench-" + std::to_string(::getpid()))) {
    fs::create_directories(path_);
  }
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;
  ~TemporaryFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  const fs::path& path() const { return path_; }

private:
  fs::path path_;
};

fs::path GenerateDocument(const fs::path& folder, uintmax_t minimumBytes) {
  fs::path path = folder / "generated-pretty.json";
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr)
    throw std::runtime_error("cannot create " + path.string());
  RecordWriter(file).Write(minimumBytes);
  if (std::fclose(file) != 0)
    throw std::runtime_error("cannot write " + path.string());
  return path;
}

// Brings the file into the page cache, so every run reads it from memory.
void WarmUp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> buffer(1 << 20);
  while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0) {
  }
}

// --- the benchmark ---------------------------------------------------------------------------

struct Options {
  bool quick = false;
  bool big = true;
  bool phases = true;
  int reps = 0;               // 0: chosen by file size
  uintmax_t generatedMiB = 0; // 0: 10 or 100, by --quick
  fs::path generateOnly;
  std::vector<fs::path> files;
};

struct Row {
  std::string name;
  uintmax_t bytes = 0;
  std::string error;
  double treskal = 0, treskalBest = 0, rapid = 0, rapidParse = 0;
  int64_t nodes = 0, rapidValues = 0, liveNodes = 0;
  int64_t peak = 0, resident = 0, rapidPeak = 0;
  std::array<double, kPhaseCount> phases{};
};

int RepetitionsFor(const Options& options, uintmax_t bytes) {
  if (options.reps > 0)
    return options.reps;
  if (options.quick)
    return bytes > 50'000'000 ? 1 : 3;
  if (bytes > 50'000'000)
    return 3;
  return bytes > 5'000'000 ? 7 : 11;
}

Row Measure(const fs::path& path, const Options& options) {
  Row row;
  row.name = path.filename().string();
  row.bytes = fs::file_size(path);
  WarmUp(path);
  const std::u16string fileName = ujson::Utf8ToUtf16(path.string());
  const int reps = RepetitionsFor(options, row.bytes);

  std::vector<double> treskal, rapid, rapidParse;
  std::array<std::vector<double>, kPhaseCount> phases;
  // Alternating the two keeps slow drifts of the machine from favouring either.
  for (int i = 0; i < reps; ++i) {
    const Sample t = InChild([&](Sample& s) { MeasureTreskal(fileName, s); });
    if (!t.ok) {
      row.error = std::string("Treskal: ") + t.error;
      return row;
    }
    treskal.push_back(t.seconds);
    row.nodes = t.nodes;
    row.liveNodes = t.liveNodes;
    row.peak = std::max(row.peak, t.peakBytes);
    row.resident = std::max(row.resident, t.residentBytes);

    const Sample r = InChild([&](Sample& s) { MeasureRapidJson(fileName, s); });
    if (!r.ok) {
      row.error = r.error;
      return row;
    }
    rapid.push_back(r.seconds);
    rapidParse.push_back(r.parseSeconds);
    row.rapidValues = r.nodes;
    row.rapidPeak = std::max(row.rapidPeak, r.peakBytes);

    if (options.phases) {
      const Sample p = InChild([&](Sample& s) { MeasurePhases(fileName, s); });
      if (p.ok) {
        for (int k = 0; k < kPhaseCount; ++k)
          phases[k].push_back(p.phases[k]);
      }
    }
  }
  row.treskal = Median(treskal);
  row.treskalBest = Best(treskal);
  row.rapid = Median(rapid);
  row.rapidParse = Median(rapidParse);
  for (int k = 0; k < kPhaseCount; ++k)
    row.phases[k] = Median(phases[k]);
  return row;
}

void PrintLoadTable(const std::vector<Row>& rows) {
  std::printf("\n| file | size MB | Treskal MB/s | (best) | RapidJSON MB/s | ratio | RapidJSON "
              "parse-only MB/s | nodes | bytes/node | Treskal peak MB | Treskal kept MB | "
              "RapidJSON peak MB |\n");
  std::printf("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
  for (const Row& row : rows) {
    if (!row.error.empty()) {
      std::printf("| %s | %.2f | failed: %s |\n", row.name.c_str(),
                  MB(static_cast<int64_t>(row.bytes)), row.error.c_str());
      continue;
    }
    const double treskal = MBps(row.bytes, row.treskal);
    const double rapid = MBps(row.bytes, row.rapid);
    std::printf("| %s | %.2f | %.0f | %.0f | %.0f | %.2f | %.0f | %" PRId64
                " | %.1f | %.1f | %.1f | "
                "%.1f |\n",
                row.name.c_str(), MB(static_cast<int64_t>(row.bytes)), treskal,
                MBps(row.bytes, row.treskalBest), rapid, rapid > 0 ? treskal / rapid : 0,
                MBps(row.bytes, row.rapidParse), row.nodes,
                row.nodes > 0 ? static_cast<double>(row.peak) / static_cast<double>(row.nodes) : 0,
                MB(row.peak), MB(row.resident), MB(row.rapidPeak));
  }
  for (const Row& row : rows) {
    if (row.error.empty() && row.nodes != row.rapidValues)
      std::printf("\nnote: %s has %" PRId64 " nodes but %" PRId64 " RapidJSON values\n",
                  row.name.c_str(), row.nodes, row.rapidValues);
    if (row.error.empty() && row.nodes != row.liveNodes)
      std::printf("\nnote: %s walked %" PRId64 " nodes but JSONInstanceCount grew by %" PRId64 "\n",
                  row.name.c_str(), row.nodes, row.liveNodes);
  }
}

void PrintPhaseTable(const std::vector<Row>& rows) {
  std::printf("\nLoad phases (median ms; %% of the four load phases, read to parse; the strict "
              "check is the viewer's, beside the load; one pass stands for decode and normalise "
              "without it):\n\n| file |");
  for (const char* name : kPhaseNames)
    std::printf(" %s |", name);
  std::printf("\n|---|");
  for (size_t k = 0; k < kPhaseNames.size(); ++k)
    std::printf("---:|");
  std::printf("\n");
  for (const Row& row : rows) {
    if (!row.error.empty())
      continue;
    double load = 0;
    for (int k = kRead; k <= kParse; ++k)
      load += row.phases[k];
    std::printf("| %s |", row.name.c_str());
    for (int k = 0; k < kPhaseCount; ++k) {
      if (k <= kCheck || k == kOnePass)
        std::printf(" %.2f (%.0f%%) |", row.phases[k] * 1e3,
                    load > 0 ? 100 * row.phases[k] / load : 0);
      else
        std::printf(" %.2f |", row.phases[k] * 1e3);
    }
    std::printf("\n");
  }
}

void Usage() {
  std::fprintf(
      stderr,
      "usage: load_bench [--quick] [--no-big] [--no-phases] [--reps N] [--mib N] [FILE...]\n"
      "       load_bench [--quick] [--mib N] --generate PATH\n");
}

} // namespace

int main(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--quick") {
      options.quick = true;
    } else if (arg == "--no-big") {
      options.big = false;
    } else if (arg == "--no-phases") {
      options.phases = false;
    } else if (arg == "--generate" && i + 1 < argc) {
      options.generateOnly = argv[++i];
    } else if (arg == "--mib" && i + 1 < argc) {
      options.generatedMiB = std::strtoumax(argv[++i], nullptr, 10);
    } else if (arg == "--reps" && i + 1 < argc) {
      options.reps = std::max(1, std::atoi(argv[++i]));
    } else if (arg == "--help" || arg == "-h") {
      Usage();
      return 0;
    } else if (!arg.empty() && arg[0] == '-') {
      Usage();
      return 2;
    } else {
      options.files.emplace_back(arg);
    }
  }

  try {
    const uintmax_t generatedMiB =
        options.generatedMiB != 0 ? options.generatedMiB : (options.quick ? 10u : 100u);
    const uintmax_t generatedMinimum = generatedMiB << 20;
    if (!options.generateOnly.empty()) {
      std::FILE* file = std::fopen(options.generateOnly.c_str(), "wb");
      if (file == nullptr)
        throw std::runtime_error("cannot create " + options.generateOnly.string());
      RecordWriter(file).Write(generatedMinimum);
      if (std::fclose(file) != 0)
        throw std::runtime_error("cannot write " + options.generateOnly.string());
      return 0;
    }
    if (options.files.empty()) {
      const fs::path shared = fs::path(TRESKAL_SHARED_DATA_DIR) / "json";
      std::error_code error;
      if (fs::is_directory(shared, error)) {
        for (const auto& entry : fs::directory_iterator(shared)) {
          if (entry.is_regular_file() && entry.path().extension() == ".json")
            options.files.push_back(entry.path());
        }
        std::sort(options.files.begin(), options.files.end());
      } else {
        std::printf("shared documents not found in %s; only the generated file is loaded\n",
                    shared.c_str());
      }
    }

    std::vector<Row> rows;
    for (const fs::path& file : options.files) {
      std::fprintf(stderr, "loading %s\n", file.filename().c_str());
      rows.push_back(Measure(file, options));
    }

    if (options.big) {
      const TemporaryFolder folder;
      std::fprintf(stderr, "generating a %ju MiB pretty-printed document in %s\n",
                   generatedMinimum >> 20, folder.path().c_str());
      const fs::path generated = GenerateDocument(folder.path(), generatedMinimum);
      std::fprintf(stderr, "loading %s\n", generated.filename().c_str());
      rows.push_back(Measure(generated, options));
    }

    std::printf("\nEach figure: median of runs, each run in a fresh process from the page cache;"
                " MB = 10^6 bytes.\nTreskal: JSONFromFile (read, decode, normalise, parse)."
                " RapidJSON: the same read, then Document::Parse.\n");
    PrintLoadTable(rows);
    if (options.phases)
      PrintPhaseTable(rows);
    bool failed = false;
    for (const Row& row : rows)
      failed = failed || !row.error.empty();
    return failed ? 1 : 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "load_bench: %s\n", e.what());
    return 1;
  }
}
