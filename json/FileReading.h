#pragma once

#include <string>

namespace ujson {

// Reads every byte of a file as it stands while it is read. Other programs may go on reading,
// writing and deleting it meanwhile.
// Throws EJSONError: `Cannot open file "<full path>". <system description>` when it cannot be
// opened (a directory included), "Stream read error" when it cannot be read to the end.
std::string ReadWholeFile(const std::u16string& fileName);

} // namespace ujson
