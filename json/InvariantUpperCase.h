#pragma once

namespace ujson {

// The locale-independent simple upper-case mapping of one UTF-16 unit: one unit to one unit, so
// texts keep their length. Units with no upper case of their own (digits, capitals, the sharp s,
// surrogate units, ...) map to themselves.
char16_t InvariantUpperCase(char16_t c);

} // namespace ujson
