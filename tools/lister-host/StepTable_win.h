#pragma once

#include <string>

namespace host {

class Host;

// Runs the step of that name, which takes its arguments from the host's command line;
// StepError for a name that is no step.
void RunStep(Host& H, const std::wstring& Name);
// The command line and every step with its arguments.
std::string Usage();

} // namespace host
