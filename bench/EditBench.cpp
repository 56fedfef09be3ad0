// edit_bench: the cost of one edit on a large document. Every edit rewrites the
// one document text and walks the whole tree once, so an edit on a 10 MB
// document should take about as long as copying its text plus one pass over
// its nodes, whatever the edit. For scale the table also gives a bare copy of
// the text and a bare walk over all nodes.
//
// Usage: edit_bench [--reps N] [--mb M]

#include "json/UJSON.h"

#include "bench/NodeCount.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// An array of records, about targetBytes characters long.
std::u16string MakeDocument(size_t targetBytes) {
  std::u16string text = u"[";
  for (int i = 0; text.size() < targetBytes; ++i) {
    if (i > 0)
      text += u",";
    const std::string digits = std::to_string(i);
    const std::u16string n(digits.begin(), digits.end());
    text += u"{\"id\":";
    text += n;
    text += u",\"name\":\"item ";
    text += n;
    text += u"\",\"tags\":[\"a\",\"b\"],\"ok\":true}";
  }
  return text + u"]";
}

double MedianMs(int reps, const std::function<void()>& run) {
  std::vector<double> times;
  for (int r = 0; r < reps; ++r) {
    const auto start = Clock::now();
    run();
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
  int reps = 15;
  size_t megabytes = 10;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--reps") == 0)
      reps = std::max(1, std::atoi(argv[i + 1]));
    else if (std::strcmp(argv[i], "--mb") == 0)
      megabytes = static_cast<size_t>(std::max(1, std::atoi(argv[i + 1])));
  }

  JSONRef doc = JSONFromString(MakeDocument(megabytes * 1000 * 1000));
  const auto& text = static_cast<TJSON&>(*doc).FText;
  const int64_t nodes = CountNodes(*doc);
  std::printf("document: %.1f M characters, %lld nodes\n\n", static_cast<double>(text.size()) / 1e6,
              static_cast<long long>(nodes));

  const double copyMs = MedianMs(reps, [&] {
    std::u16string copy = text;
    if (copy.empty())
      std::abort();
  });
  const double walkMs = MedianMs(reps, [&] { doc->ShiftPositions(INT32_MAX - 1, 0); });

  // Each edit is undone by the next, so the document keeps its size.
  JSONRef last = doc->GetChild(doc->GetCount() - 1)->GetChildByName(u"name");
  JSONRef first = doc->GetChild(0)->GetChildByName(u"name");
  bool flip = false;
  const double setLastMs =
      MedianMs(reps, [&] { last->SetValue((flip = !flip) ? u"\"renamed item\"" : u"\"item\""); });
  const double setFirstMs =
      MedianMs(reps, [&] { first->SetValue((flip = !flip) ? u"\"renamed item\"" : u"\"item\""); });
  const double addChildMs = MedianMs(reps, [&] { doc->AddChild(u"", u"{\"added\":[1,2,3]}"); });

  std::printf("| operation | median ms | vs text copy | vs tree walk |\n|---|---:|---:|---:|\n");
  const auto row = [&](const char* name, double ms) {
    std::printf("| %s | %.2f | %.2f | %.2f |\n", name, ms, ms / copyMs, ms / walkMs);
  };
  row("copy of the text", copyMs);
  row("walk over all nodes (ShiftPositions)", walkMs);
  row("SetValue on the last record's member", setLastMs);
  row("SetValue on the first record's member", setFirstMs);
  row("AddChild at the end of the top array", addChildMs);
  return 0;
}
