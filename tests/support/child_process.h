// A helper program of a test, run as a child with its standard output (and,
// on request, its standard input) on a pipe. Every wait is bounded; a child
// still running when the object dies is killed and reaped.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace testsupport {

class ChildProcess {
public:
    // Starts argv[0] (a path) with the rest as arguments and this
    // process's environment. Started() tells whether that worked.
    explicit ChildProcess(std::vector<std::string> argv, bool pipeInput = false);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // True from a successful start until the child is reaped.
    bool Started() const { return pid_ > 0; }
    pid_t Pid() const { return pid_; }

    // Reads complete lines until `want` have arrived in total or the output
    // ended. False if they did not within timeoutMs.
    bool ReadLines(size_t want, int timeoutMs = 60000);
    // Reads to the end of the output and reaps the child: its exit status,
    // or -1 after a signal or a timeout.
    int Finish(int timeoutMs = 120000);
    void Kill();
    // Closes the child's standard input (with pipeInput), which tells the
    // test servers to end.
    void CloseInput();

    const std::vector<std::string>& Lines() const { return lines_; }

private:
    pid_t pid_ = -1;
    int fd_ = -1;
    int inputFd_ = -1;
    bool eof_ = false;
    std::string partial_;
    std::vector<std::string> lines_;
};

}  // namespace testsupport
