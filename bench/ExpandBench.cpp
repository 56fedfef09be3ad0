// Expanding an array of 100,000 elements through the viewer, against inserting 100,000 items
// into the same in-memory tree directly; prints the ratio of the two. MoveDownMidArray holds
// Down through the middle of the open array, each move showing the new node's path in the
// status bar: its cost must not grow with the array.

#include "viewer/ViewerMain.h"
#include "viewer/memory/MemoryApplication.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kElements = 100000;
constexpr tk::NativeWindow kLister = 0x500;

std::u16string ArrayText() {
  std::u16string text = u"[";
  for (int i = 0; i < kElements; ++i) {
    if (i != 0)
      text += u',';
    text += u"\"element ";
    for (char c : std::to_string(i))
      text += static_cast<char16_t>(c);
    text += u'"';
  }
  return text + u']';
}

// A viewer showing the array, its top node not yet expanded.
struct ShownArray {
  explicit ShownArray(const std::u16string& Text) : viewer(app, kLister) {
    app.TestClipboard().SetText(Text);
    viewer.EditPaste1Execute();
  }
  tkmem::MemoryTreeView& Tree() { return tkmem::AsMemory(viewer.JSONTreeViewer); }

  tkmem::MemoryApplication app;
  TfmMain viewer;
};

void ExpandThroughViewer(benchmark::State& state) {
  const std::u16string text = ArrayText();
  // NOLINTNEXTLINE(clang-analyzer-deadcode.DeadStores): the loop variable is unused by design
  for (auto _ : state) {
    state.PauseTiming();
    auto shown = std::make_unique<ShownArray>(text);
    const tk::TreeNodeHandle top = shown->Tree().FirstChild(tk::NoNode);
    state.ResumeTiming();
    shown->Tree().UserExpand(top);
    state.PauseTiming();
    if (shown->Tree().NodeCount() != kElements + 1 || !shown->app.Messages().empty())
      state.SkipWithError("expansion did not produce every element");
    shown.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kElements);
}

void InsertDirectly(benchmark::State& state) {
  tkmem::MemoryApplication app;
  std::u16string label = u"element 12345";
  // NOLINTNEXTLINE(clang-analyzer-deadcode.DeadStores): the loop variable is unused by design
  for (auto _ : state) {
    state.PauseTiming();
    tkmem::MemoryTreeView tree(app, tk::TreeViewDescription{});
    const tk::TreeNodeHandle top = tree.AddChild(tk::NoNode, u" [] (100000)", nullptr);
    state.ResumeTiming();
    tree.BeginUpdate();
    for (int i = 0; i < kElements; ++i)
      benchmark::DoNotOptimize(tree.AddChild(top, label, &label));
    tree.EndUpdate();
  }
  state.SetItemsProcessed(state.iterations() * kElements);
}

void MoveDownMidArray(benchmark::State& state) {
  const std::u16string text = ArrayText();
  ShownArray shown(text);
  tkmem::MemoryTreeView& tree = shown.Tree();
  const tk::TreeNodeHandle top = tree.FirstChild(tk::NoNode);
  tree.UserExpand(top);
  const std::vector<tk::TreeNodeHandle> rows = tree.Children(top);
  constexpr std::size_t kFirst = kElements * 2 / 5;
  constexpr std::size_t kLast = kElements * 3 / 5;
  tree.Select(rows[kFirst]);
  const tk::KeyPress down{tk::key::Down, 0, false, false, false};
  // NOLINTNEXTLINE(clang-analyzer-deadcode.DeadStores): the loop variable is unused by design
  for (auto _ : state) {
    tree.UserPressKey(down);
    if (tree.Selected() == rows[kLast]) {
      state.PauseTiming();
      tree.Select(rows[kFirst]);
      state.ResumeTiming();
    }
  }
  auto& bar = tkmem::AsMemory(shown.viewer.Window()).Status("StatusBar1");
  if (bar.PartText(TfmMain::kPathPart).substr(0, 2) != u"$[")
    state.SkipWithError("the path part does not show the selected element");
  state.SetItemsProcessed(state.iterations());
}

BENCHMARK(ExpandThroughViewer)->Unit(benchmark::kMillisecond);
BENCHMARK(MoveDownMidArray)->Unit(benchmark::kMicrosecond);
BENCHMARK(InsertDirectly)->Unit(benchmark::kMillisecond);

// One timed run of each, outside the framework, for the ratio.
template <class Fn> double Milliseconds(Fn&& Run) {
  const auto start = std::chrono::steady_clock::now();
  Run();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

void PrintRatio() {
  const std::u16string text = ArrayText();
  double viewer = 1e300;
  double direct = 1e300;
  for (int round = 0; round < 5; ++round) {
    ShownArray shown(text);
    const tk::TreeNodeHandle top = shown.Tree().FirstChild(tk::NoNode);
    const double v = Milliseconds([&] { shown.Tree().UserExpand(top); });
    viewer = v < viewer ? v : viewer;

    tkmem::MemoryApplication app;
    tkmem::MemoryTreeView tree(app, tk::TreeViewDescription{});
    const tk::TreeNodeHandle root = tree.AddChild(tk::NoNode, u"root", nullptr);
    std::u16string label = u"element 12345";
    const double d = Milliseconds([&] {
      tree.BeginUpdate();
      for (int i = 0; i < kElements; ++i)
        benchmark::DoNotOptimize(tree.AddChild(root, label, &label));
      tree.EndUpdate();
    });
    direct = d < direct ? d : direct;
  }
  std::printf("expand %d elements through TfmMain: %.2f ms, insert directly: %.2f ms, "
              "ratio %.2f\n",
              kElements, viewer, direct, viewer / direct);
}

} // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  PrintRatio();
  return 0;
}
