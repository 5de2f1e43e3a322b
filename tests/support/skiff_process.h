// Runs the built skiff program as ambit starts it, with one argument, and
// waits for it to end (bounded: a run that hangs is killed and fails).
#pragma once

#include <string>

namespace testsupport {

// The exit code; -1 when it did not end within `timeoutMs` (it is then
// killed), -3 when it crashed. *errors receives what it wrote to stderr.
int RunSkiffProcess(const std::string& argument, std::string* errors = nullptr,
                    int timeoutMs = 60000);

}  // namespace testsupport
