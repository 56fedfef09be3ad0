#include "viewer/LeakReport.h"

#include "viewer/Decimal.h"

std::optional<std::u16string> LeakReportText(int64_t LiveNodes) {
  if (LiveNodes == 0)
    return std::nullopt;
  std::u16string text =
      u"An unexpected memory leak has occurred. The unexpected leaks are:\r\n\r\n";
  text += u"JSON document nodes still alive: ";
  AppendDecimal(text, LiveNodes);
  return text;
}
