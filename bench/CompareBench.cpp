// compare_bench: JSONFromFile side by side with RapidJSON's DOM and simdjson's DOM, each
// including the read of the file, in three settings:
//   fresh     every load in a newly forked process (a new viewer in a cold heap), with its peak
//   repeated  loads one after another in one process (a long-running file manager)
//   alone     Treskal, then RapidJSON, each in a program of its own (this one executed anew) that
//             loads nothing else: its first load and its repeated loads, with the allocator's
//             thresholds untouched by the other libraries
// and, for Treskal, the release of the document against its load and the resident memory a
// node takes beyond the text's 2 bytes per character. One table holds every figure; its last
// row gives how repeated loads grow from the first generated file to the second.
//
// Usage: compare_bench [--reps N] [--linear SMALL BIG] [FILE...]
//   without files: every document in the shared data's json folder and two generated
//                  pretty-printed files of 10 and 100 MiB (made once by load_bench --generate in
//                  bench-data/ beside this program), which are also the --linear pair
//   --linear SMALL BIG  the pair whose repeated loads give the growth row
// Figures are medians; loads of the three alternate, so drifts of the machine favour none.

#include "json/FileReading.h"
#include "json/JSONDocument.h"
#include "json/MemoryBlocks.h"
#include "json/UJSON.h"
#include "json/UnicodeConversion.h"

#include "bench/NodeCount.h"
#include "bench/ProcessStatus.h"

#include <rapidjson/document.h>
#include <simdjson.h>

#include <malloc.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#ifndef TRESKAL_SHARED_DATA_DIR
#define TRESKAL_SHARED_DATA_DIR ""
#endif

extern char** environ;

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

double Since(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
  if (values.empty())
    return 0;
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// One load: its time and the peak growth of the process while it ran.
struct Load {
  double seconds = -1;
  double releaseSeconds = 0;
  int64_t peakBytes = 0;
};

using Loader = std::function<Load(const std::string& path)>;

Load LoadTreskal(const std::string& path) {
  const std::u16string name = ujson::Utf8ToUtf16(path);
  const auto start = Clock::now();
  JSONRef document = JSONFromFile(name);
  Load load;
  load.seconds = Since(start);
  const auto releaseStart = Clock::now();
  document.reset();
  load.releaseSeconds = Since(releaseStart);
  return load;
}

Load LoadRapidJson(const std::string& path) {
  const auto start = Clock::now();
  // The same read as JSONFromFile's, into a block of the same cache: the two differ only after
  // the bytes are in.
  const ujson::FileBytes bytes = ujson::ReadFileBytes(ujson::Utf8ToUtf16(path));
  rapidjson::Document document;
  document.Parse(bytes.View().data(), bytes.length);
  Load load;
  load.seconds = document.HasParseError() ? -1 : Since(start);
  return load;
}

Load LoadSimdjson(const std::string& path) {
  const auto start = Clock::now();
  simdjson::dom::parser parser;
  simdjson::dom::element root;
  const auto error = parser.load(path).get(root);
  Load load;
  load.seconds = error ? -1 : Since(start);
  return load;
}

// Runs the load in a forked child and reports its time and peak through a pipe.
Load InFreshProcess(const Loader& loader, const std::string& path) {
  int fds[2];
  if (::pipe(fds) != 0)
    return {};
  std::fflush(nullptr);
  // Memory the parent freed would otherwise serve the child without raising its peak.
  malloc_trim(0);
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(fds[0]);
    // A new viewer starts without the blocks this process keeps for its next load.
    ujson::DropCachedMemory();
    ResetPeak();
    const int64_t before = StatusKiB("VmHWM");
    Load load;
    try {
      load = loader(path);
    } catch (...) {
      load.seconds = -1;
    }
    load.peakBytes = (StatusKiB("VmHWM") - before) * 1024;
    const bool ok = ::write(fds[1], &load, sizeof load) == static_cast<ssize_t>(sizeof load);
    ::_exit(ok ? 0 : 1);
  }
  ::close(fds[1]);
  Load load;
  if (pid > 0 && ::read(fds[0], &load, sizeof load) != static_cast<ssize_t>(sizeof load))
    load = Load{};
  int status = 0;
  while (pid > 0 && ::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  ::close(fds[0]);
  return load;
}

// --- alone: a program of its own per library --------------------------------------------------

// What a program that loads one file reps + 1 times, and nothing else, reports.
struct AloneFigures {
  double first = 0, repeated = 0;
  int64_t nodes = 0;
  double residentPerNode = 0; // Treskal's only: resident growth beyond the text, while held
  bool ok = false;
};

// The child's side (compare_bench --alone-child LIBRARY FILE REPS): prints one line of figures.
int RunAloneChild(std::string_view library, const std::string& path, int reps) {
  const bool treskal = library == "treskal";
  const Loader loader = treskal ? Loader(LoadTreskal) : Loader(LoadRapidJson);
  AloneFigures figures;
  try {
    if (treskal) {
      const int64_t before = StatusKiB("VmRSS");
      const auto start = Clock::now();
      JSONRef document = JSONFromFile(ujson::Utf8ToUtf16(path));
      figures.first = Since(start);
      const int64_t held = StatusKiB("VmRSS");
      figures.nodes = CountNodes(*document);
      const double text = 2.0 * static_cast<double>(DocumentTextOf(*document).size());
      figures.residentPerNode =
          (static_cast<double>(held - before) * 1024 - text) / static_cast<double>(figures.nodes);
    } else {
      figures.first = loader(path).seconds;
    }
    std::vector<double> times;
    times.reserve(static_cast<size_t>(reps));
    for (int i = 0; i < reps; ++i)
      times.push_back(loader(path).seconds);
    figures.repeated = Median(times);
    figures.ok = figures.first >= 0 && figures.repeated >= 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "compare_bench: %s\n", e.what());
  }
  std::printf("%d %.9f %.9f %lld %.3f\n", figures.ok ? 1 : 0, figures.first, figures.repeated,
              static_cast<long long>(figures.nodes), figures.residentPerNode);
  return figures.ok ? 0 : 1;
}

// The parent's side: executes this program anew, so the child starts from a pristine heap.
AloneFigures InProgramOfItsOwn(const char* library, const std::string& path, int reps) {
  AloneFigures figures;
  int fds[2];
  if (::pipe(fds) != 0)
    return figures;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  const std::string repsText = std::to_string(reps);
  std::string self = fs::read_symlink("/proc/self/exe").string();
  char* argv[] = {self.data(),
                  const_cast<char*>("--alone-child"),
                  const_cast<char*>(library),
                  const_cast<char*>(path.c_str()),
                  const_cast<char*>(repsText.c_str()),
                  nullptr};
  pid_t pid = 0;
  std::fflush(nullptr);
  const int spawned = posix_spawn(&pid, self.c_str(), &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(fds[1]);
  std::string output;
  char buffer[256];
  for (ssize_t got; spawned == 0 && (got = ::read(fds[0], buffer, sizeof buffer)) > 0;)
    output.append(buffer, static_cast<size_t>(got));
  ::close(fds[0]);
  int status = 0;
  while (spawned == 0 && ::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  int ok = 0;
  long long nodes = 0;
  if (std::sscanf(output.c_str(), "%d %lf %lf %lld %lf", &ok, &figures.first, &figures.repeated,
                  &nodes, &figures.residentPerNode) == 5) {
    figures.ok = ok == 1;
    figures.nodes = nodes;
  }
  return figures;
}

// --- the side-by-side measurement --------------------------------------------------------------

struct Figures {
  double fresh = 0, repeated = 0, release = 0;
  int64_t peak = 0;
  AloneFigures alone;
};

struct Row {
  std::string name;
  uintmax_t bytes = 0;
  Figures treskal, rapid, simd;
  bool failed = false;
};

Row Measure(const fs::path& path, int reps) {
  Row row;
  row.name = path.filename().string();
  row.bytes = fs::file_size(path);
  const std::string name = path.string();
  const Loader loaders[3] = {LoadTreskal, LoadRapidJson, LoadSimdjson};
  Figures* figures[3] = {&row.treskal, &row.rapid, &row.simd};

  std::vector<double> fresh[3], repeated[3], release;
  for (int i = 0; i < reps; ++i) {
    for (int k = 0; k < 3; ++k) {
      const Load load = InFreshProcess(loaders[k], name);
      row.failed = row.failed || load.seconds < 0;
      fresh[k].push_back(load.seconds);
      figures[k]->peak = std::max(figures[k]->peak, load.peakBytes);
    }
  }
  // Warm the process's heap up once, as a file manager's is.
  for (const Loader& loader : loaders)
    loader(name);
  for (int i = 0; i < reps; ++i) {
    for (int k = 0; k < 3; ++k) {
      const Load load = loaders[k](name);
      repeated[k].push_back(load.seconds);
      if (k == 0)
        release.push_back(load.releaseSeconds);
    }
  }
  for (int k = 0; k < 3; ++k) {
    figures[k]->fresh = Median(fresh[k]);
    figures[k]->repeated = Median(repeated[k]);
  }
  row.treskal.release = Median(release);
  row.treskal.alone = InProgramOfItsOwn("treskal", name, reps);
  row.rapid.alone = InProgramOfItsOwn("rapidjson", name, reps);
  row.failed = row.failed || !row.treskal.alone.ok || !row.rapid.alone.ok;
  return row;
}

double Ratio(double theirs, double ours) { return ours > 0 ? theirs / ours : 0; }

void PrintTable(const std::vector<Row>& rows, const std::string& growthRow) {
  std::printf(
      "\nRatios are the other DOM's time over Treskal's (above 1: Treskal is faster); alone: each"
      " library in a program of its own (first load, then the median of repeated loads).\n\n"
      "| file | MB | nodes | fresh ms | vs RapidJSON | vs simdjson | repeated ms | vs RapidJSON |"
      " vs simdjson | alone first ms | vs RapidJSON | alone repeated ms | vs RapidJSON |"
      " release %% of load | resident B/node beyond text | peak MB | RapidJSON peak MB |"
      " peak ratio |\n"
      "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|"
      "\n");
  for (const Row& row : rows) {
    const Figures& t = row.treskal;
    const AloneFigures& ta = t.alone;
    const AloneFigures& ra = row.rapid.alone;
    std::printf(
        "| %s%s | %.1f | %lld | %.2f | %.2f | %.2f | %.2f | %.2f | %.2f | %.2f | %.2f | %.2f |"
        " %.2f | %.1f | %.1f | %.1f | %.1f | %.2f |\n",
        row.name.c_str(), row.failed ? " (a load failed)" : "",
        static_cast<double>(row.bytes) / 1e6, static_cast<long long>(ta.nodes), t.fresh * 1e3,
        Ratio(row.rapid.fresh, t.fresh), Ratio(row.simd.fresh, t.fresh), t.repeated * 1e3,
        Ratio(row.rapid.repeated, t.repeated), Ratio(row.simd.repeated, t.repeated), ta.first * 1e3,
        Ratio(ra.first, ta.first), ta.repeated * 1e3, Ratio(ra.repeated, ta.repeated),
        t.repeated > 0 ? 100 * t.release / t.repeated : 0, ta.residentPerNode,
        static_cast<double>(t.peak) / 1e6, static_cast<double>(row.rapid.peak) / 1e6,
        row.rapid.peak > 0 ? static_cast<double>(t.peak) / static_cast<double>(row.rapid.peak) : 0);
  }
  if (!growthRow.empty())
    std::printf("%s\n", growthRow.c_str());
}

// The row that says how Treskal's repeated loads grow with the input, in this process and alone.
std::string GrowthRow(const fs::path& small, const fs::path& big, int reps) {
  std::vector<double> times[2];
  const std::string names[2] = {small.string(), big.string()};
  LoadTreskal(names[0]);
  for (int i = 0; i < reps; ++i) {
    for (int k = 0; k < 2; ++k)
      times[k].push_back(LoadTreskal(names[k]).seconds);
  }
  const double sizeRatio =
      static_cast<double>(fs::file_size(big)) / static_cast<double>(fs::file_size(small));
  const double timeRatio = Median(times[1]) / Median(times[0]);
  const AloneFigures alone[2] = {InProgramOfItsOwn("treskal", names[0], reps),
                                 InProgramOfItsOwn("treskal", names[1], reps)};
  const double aloneRatio = alone[0].repeated > 0 ? alone[1].repeated / alone[0].repeated : 0;
  char line[512];
  std::snprintf(line, sizeof line,
                "| growth %s -> %s: %.1fx the input | | | | | | %.2fx the time | | | | |"
                " %.2fx the time | | | | | | |",
                small.filename().c_str(), big.filename().c_str(), sizeRatio, timeRatio, aloneRatio);
  return line;
}

// The documents measured when none are named: the shared ones and two generated files.
std::vector<fs::path> StandardDocuments(fs::path& small, fs::path& big) {
  std::vector<fs::path> files;
  const fs::path shared = fs::path(TRESKAL_SHARED_DATA_DIR) / "json";
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(shared, error)) {
    if (entry.path().extension() == ".json")
      files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  const fs::path self = fs::read_symlink("/proc/self/exe");
  const fs::path folder = self.parent_path() / "bench-data";
  fs::create_directories(folder);
  for (const int mib : {10, 100}) {
    const fs::path file = folder / ("generated-" + std::to_string(mib) + "mib.json");
    if (!fs::exists(file)) {
      const std::string command = (self.parent_path() / "load_bench").string() + " --mib " +
                                  std::to_string(mib) + " --generate '" + file.string() + "'";
      if (std::system(command.c_str()) != 0)
        throw std::runtime_error("cannot generate " + file.string());
    }
    files.push_back(file);
  }
  small = files[files.size() - 2];
  big = files.back();
  return files;
}

} // namespace

int main(int argc, char** argv) {
  if (argc == 5 && std::string_view(argv[1]) == "--alone-child")
    return RunAloneChild(argv[2], argv[3], std::max(1, std::atoi(argv[4])));
  int reps = 5;
  std::vector<fs::path> files;
  fs::path small, big;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--reps" && i + 1 < argc) {
      reps = std::max(1, std::atoi(argv[++i]));
    } else if (arg == "--linear" && i + 2 < argc) {
      small = argv[++i];
      big = argv[++i];
    } else {
      files.emplace_back(arg);
    }
  }
  try {
    if (files.empty()) {
      fs::path standardSmall, standardBig;
      files = StandardDocuments(standardSmall, standardBig);
      if (small.empty()) {
        small = standardSmall;
        big = standardBig;
      }
    }
    std::vector<Row> rows;
    for (const fs::path& file : files) {
      std::fprintf(stderr, "measuring %s\n", file.filename().c_str());
      rows.push_back(Measure(file, reps));
    }
    PrintTable(rows, small.empty() ? std::string() : GrowthRow(small, big, reps));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "compare_bench: %s\n", e.what());
    return 1;
  }
  return 0;
}
