#pragma once

#include <cstdint>
#include <optional>
#include <string>

// What the DLL reports at unload when the leak report is on (Application::LeakReportEnabled)
// and document nodes are still alive: shown task-modal with the error icon and this caption.
inline constexpr char16_t LeakReportCaption[] = u"Unexpected Memory Leak";

// The report's text for LiveNodes nodes still alive; nothing when there are none.
std::optional<std::u16string> LeakReportText(int64_t LiveNodes);
