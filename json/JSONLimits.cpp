#include "json/JSONLimits.h"

#include "json/JSONError.h"

#include <string>

namespace ujson {

void CheckTextLength(int64_t length) {
  if (length > MaxTextLength)
    throw EJSONError("The text is too long: " + std::to_string(length) + " characters, at most " +
                     std::to_string(MaxTextLength) + " are supported");
}

void CheckNestingLevel(int64_t level) {
  if (level > MaxNestingLevel)
    throw EJSONError("The document is nested too deeply: more than " +
                     std::to_string(MaxNestingLevel) + " levels are not supported");
}

} // namespace ujson
