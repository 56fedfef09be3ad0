#pragma once

#include <cstdint>

namespace ujson {

// Deepest nesting the library accepts (the document is level 0). Documents
// and edits beyond it fail with a clear message.
inline constexpr int32_t MaxNestingLevel = 100000;
// Longest document text: positions are signed 32-bit, and the parser may
// step a few places past the end of the text.
inline constexpr int64_t MaxTextLength = INT32_MAX - 16;

// Throws EJSONError when a text of this length cannot be addressed.
void CheckTextLength(int64_t length);
// Throws EJSONError when a file of this many bytes, which make at least fewestCharacters
// characters, would give a text too long to address.
void CheckFileLength(uint64_t bytes, int64_t fewestCharacters);
// Throws EJSONError naming the limit when a node would sit at this level.
void CheckNestingLevel(int64_t level);

} // namespace ujson
