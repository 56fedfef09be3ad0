// The host's search (ListSearchText) through a document of about 100 MB that holds no hit,
// against std::u16string_view::find over the same text, side by side in one run:
//   build/native/bench/search_bench [ROUNDS]     (default 3; medians in milliseconds)
// The document is generated in memory; nothing is written to disk.

#include "viewer/ListerProtocol.h"
#include "viewer/ViewerMain.h"
#include "viewer/memory/MemoryApplication.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr tk::NativeWindow kLister = 0x500;
constexpr std::size_t kTargetUnits = std::size_t{100} * 1024 * 1024;
constexpr std::u16string_view kMissing = u"zebra crossing";

// Records of mixed members, like a real export, until the text reaches the target size.
std::u16string DocumentText() {
  std::u16string text = u"{\"items\": [";
  text.reserve(kTargetUnits + 256);
  for (int i = 0; text.size() < kTargetUnits; ++i) {
    if (i != 0)
      text += u',';
    std::u16string number;
    for (char c : std::to_string(i))
      number += static_cast<char16_t>(c);
    text += u"{\"id\": ";
    text += number;
    text += u", \"name\": \"item ";
    text += number;
    text += u"\", \"price\": 12.5, \"tags\": [\"red\", \"green\"], \"stock\": true}";
  }
  return text + u"]}";
}

template <class Fn> double Milliseconds(Fn&& Run) {
  const auto start = std::chrono::steady_clock::now();
  Run();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

double Median(std::vector<double> Values) {
  std::sort(Values.begin(), Values.end());
  return Values[Values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  tkmem::MemoryApplication app;
  TfmMain viewer(app, kLister);
  const std::u16string text = DocumentText();
  std::printf("document: %zu UTF-16 units\n", text.size());
  app.TestClipboard().SetText(text);
  viewer.EditPaste1Execute();
  // The load figures, so a document that failed to load cannot pass for a fast search.
  const std::u16string status = viewer.Window().FindStatusBar("StatusBar1").Text();
  std::printf("status:");
  for (char16_t c : status)
    std::printf(c < 0x80 ? "%c" : "?", static_cast<char>(c));
  std::printf("\n");
  const std::u16string_view haystack = text;

  struct Case {
    const char* Name;
    int Parameter;
  };
  const Case cases[] = {
      {"ignoring case", lcs_findfirst},
      {"matching case", lcs_findfirst | lcs_matchcase},
      {"whole words", lcs_findfirst | lcs_wholewords},
      {"backwards", lcs_findfirst | lcs_backwards},
  };
  std::vector<double> baseline;
  baseline.reserve(static_cast<std::size_t>(rounds));
  for (int round = 0; round < rounds; ++round)
    baseline.push_back(Milliseconds([&] {
      if (haystack.find(kMissing) != std::u16string_view::npos)
        std::abort();
    }));
  const double base = Median(baseline);
  std::printf("u16string_view::find: %.1f ms\n", base);
  for (const Case& one : cases) {
    std::vector<double> times;
    times.reserve(static_cast<std::size_t>(rounds));
    for (int round = 0; round < rounds; ++round)
      times.push_back(Milliseconds([&] {
        if (viewer.AnswerSearchText(kMissing, one.Parameter) != LISTPLUGIN_ERROR)
          std::abort();
      }));
    const double median = Median(times);
    std::printf("ListSearchText, %s: %.1f ms (%.2f x find)\n", one.Name, median, median / base);
  }
  return app.Messages().empty() ? 0 : 1;
}
