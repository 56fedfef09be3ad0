#pragma once

// Speed figures, set side by side in one run by bench/wine-bench.sh: a bare tree view filled
// with as many items as the plugin's, the plugin's expansion of a node, and ListLoad.

#include <string>

namespace host {

class Host;

void BenchBareTree(Host& H, int Items);
void BenchExpand(Host& H, const std::wstring& Path, bool ByIndex);
void BenchLoad(Host& H, const std::wstring& File);

} // namespace host
