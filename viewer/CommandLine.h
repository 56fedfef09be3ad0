#pragma once

#include <string>
#include <string_view>

namespace tk {
class Application;
}

// The first argument of a command line, the item after the program's: items are separated by
// runs of characters with codes 1 to 32, a pair of double quotes where an item would begin is
// skipped, quoted stretches belong to the item with their blanks and lose their quotes. A
// character with code 0 ends the line. Empty when there is no such item.
std::u16string FirstCommandLineArgument(std::u16string_view CommandLine);

// Whether a new viewer loads Argument: only a name ending in ".json" (any letter case) of an
// existing regular file. A host's switches and folders are passed over without a report.
bool IsJsonFileToLoad(const std::u16string& Argument, tk::Application& App);
