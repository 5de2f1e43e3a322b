// Starting other programs. Every program is started from an argument vector,
// never through a shell, so a file name with quotes or ';' is only ever a
// file name. Nothing waits for a started program: the starter learns only
// whether it could be started.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace platform {

class Launcher {
public:
    virtual ~Launcher() = default;
    // Starts argv[0] (looked up on PATH when it has no '/') with the rest as
    // its arguments and the current environment. False, with a message in
    // *error, when the program is not found or cannot be executed.
    virtual bool Start(const std::vector<std::string>& argv, std::string* error = nullptr) = 0;
};

// Starts programs for real, detached (they are reaped at once and outlive us).
class SpawnLauncher : public Launcher {
public:
    bool Start(const std::vector<std::string>& argv, std::string* error = nullptr) override;
};

// The process-wide launcher; a SpawnLauncher unless one is installed.
Launcher& CurrentLauncher();
// Installs l (not owned; nullptr restores the default). Returns the previous one.
Launcher* SetLauncher(Launcher* l);

// Runs a helper program (found as Start finds it, stdin and stderr on
// /dev/null) and returns at most maxBytes of its standard output. Nullopt
// when it cannot start, exits unsuccessfully or outlives timeoutMs (it is
// then killed), so a hung helper cannot hang the caller.
std::optional<std::string> ProgramOutput(const std::vector<std::string>& argv, std::size_t maxBytes,
                                         int timeoutMs);

// The text for a program that could not be started: the launcher's error,
// and when the missing program is the desktop's opener, what to install.
std::string StartFailureText(const std::vector<std::string>& argv, const std::string& error);

// The full path of a program found on PATH (or the name itself when it
// contains '/' and is executable); "" when not found.
std::string FindProgram(const std::string& name);

// True when process pid is alive and runs the program named `name`
// (compared with the executable's base name).
bool ProcessRuns(pid_t pid, const std::string& name);

// How many processes other than this one run the program `name`.
int OtherProcessesRunning(const std::string& name);

}  // namespace platform
