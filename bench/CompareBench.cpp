// compare_bench: JSONFromFile side by side with RapidJSON's DOM and simdjson's DOM, each
// including the read of the file, in two settings:
//   fresh     every load in a newly forked process (a new viewer in a cold heap), with its peak
//   repeated  loads one after another in one process (a long-running file manager)
// and, for Treskal, the release of the document against its load, and the heap it keeps per
// node beyond the text's 2 bytes per character.
//
// Usage: compare_bench [--reps N] [--linear SMALL BIG] FILE...
//   --linear SMALL BIG  also time repeated loads of two files (say 10 MB and 100 MB) and print
//                       how time grows with size
// Figures are medians; loads of the three alternate, so drifts of the machine favour none.

#include "json/FileReading.h"
#include "json/JSONDocument.h"
#include "json/UJSON.h"
#include "json/UnicodeConversion.h"

#include "bench/ProcessStatus.h"

#include <rapidjson/document.h>
#include <simdjson.h>

#include <malloc.h>
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
  const std::string bytes = ujson::ReadWholeFile(ujson::Utf8ToUtf16(path));
  rapidjson::Document document;
  document.Parse(bytes.data(), bytes.size());
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

struct Figures {
  double fresh = 0, repeated = 0, release = 0;
  int64_t peak = 0;
};

struct Row {
  std::string name;
  uintmax_t bytes = 0;
  Figures treskal, rapid, simd;
  int64_t nodes = 0;
  double heapPerNode = 0;
  bool failed = false;
};

// Nodes of a document, walked with an explicit stack.
int64_t CountNodes(const IJSONObject& root) {
  int64_t count = 1;
  std::vector<const TJSONChildList*> pending{&root.GetAsList()};
  while (!pending.empty()) {
    const TJSONChildList* list = pending.back();
    pending.pop_back();
    count += list->Count();
    for (const TJSONObject* child : *list) {
      if (child->GetCount() > 0)
        pending.push_back(&child->GetAsList());
    }
  }
  return count;
}

// Heap in use, large blocks that the allocator maps on their own included.
size_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

// Heap the loaded document holds beyond its text's characters, per node.
void MeasureHeap(const std::string& path, Row& row) {
  malloc_trim(0);
  const size_t before = HeapInUse();
  JSONRef document = JSONFromFile(ujson::Utf8ToUtf16(path));
  const size_t after = HeapInUse();
  row.nodes = CountNodes(*document);
  const double text = 2.0 * static_cast<double>(DocumentTextOf(*document).size());
  row.heapPerNode = (static_cast<double>(after - before) - text) / static_cast<double>(row.nodes);
}

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
  MeasureHeap(name, row);
  return row;
}

double Ratio(double theirs, double ours) { return ours > 0 ? theirs / ours : 0; }

void PrintTable(const std::vector<Row>& rows) {
  std::printf("\nRatios are the other DOM's time over Treskal's (above 1: Treskal is faster).\n\n"
              "| file | MB | fresh ms | vs RapidJSON | vs simdjson | repeated ms | vs RapidJSON |"
              " vs simdjson | release %% of load | nodes | heap B/node beyond text |"
              " peak MB | RapidJSON peak MB | peak ratio |\n"
              "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
  for (const Row& row : rows) {
    const Figures& t = row.treskal;
    std::printf(
        "| %s%s | %.1f | %.2f | %.2f | %.2f | %.2f | %.2f | %.2f | %.1f | %lld | %.1f |"
        " %.1f | %.1f | %.2f |\n",
        row.name.c_str(), row.failed ? " (a load failed)" : "",
        static_cast<double>(row.bytes) / 1e6, t.fresh * 1e3, Ratio(row.rapid.fresh, t.fresh),
        Ratio(row.simd.fresh, t.fresh), t.repeated * 1e3, Ratio(row.rapid.repeated, t.repeated),
        Ratio(row.simd.repeated, t.repeated), t.repeated > 0 ? 100 * t.release / t.repeated : 0,
        static_cast<long long>(row.nodes), row.heapPerNode, static_cast<double>(t.peak) / 1e6,
        static_cast<double>(row.rapid.peak) / 1e6,
        row.rapid.peak > 0 ? static_cast<double>(t.peak) / static_cast<double>(row.rapid.peak) : 0);
  }
}

void PrintLinearity(const fs::path& small, const fs::path& big, int reps) {
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
  std::printf("\nLinearity: %.1f times the input took %.2f times as long (%.2f per unit of size)\n",
              sizeRatio, timeRatio, timeRatio / sizeRatio);
}

} // namespace

int main(int argc, char** argv) {
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
    std::vector<Row> rows;
    for (const fs::path& file : files) {
      std::fprintf(stderr, "measuring %s\n", file.filename().c_str());
      rows.push_back(Measure(file, reps));
    }
    PrintTable(rows);
    if (!small.empty())
      PrintLinearity(small, big, reps);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "compare_bench: %s\n", e.what());
    return 1;
  }
  return 0;
}
