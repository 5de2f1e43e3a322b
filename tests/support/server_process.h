// A test server child process: a Python script from tests/servers started
// with AMBIT_PYTHON, which prints "PORT <n>" on stdout when it is ready and
// ends when its standard input closes. Every wait is bounded; the process
// never outlives this object.
#pragma once

#include <string>
#include <vector>

#include "child_process.h"

namespace testsupport {

class ServerProcess {
public:
    // Starts AMBIT_PYTHON tests/servers/<script> args... and waits up to
    // 20 s for its port. On failure Port() is 0 and Error() says why.
    ServerProcess(const std::string& script, const std::vector<std::string>& args);
    ~ServerProcess() { Stop(); }

    int Port() const { return port_; }
    const std::string& Error() const { return error_; }
    // Waits up to seconds for the process to end by itself; true if it did.
    bool WaitForExit(double seconds);
    // Closes its standard input, waits a little, then kills it.
    void Stop();

private:
    ChildProcess child_;
    int port_ = 0;
    std::string error_;
};

}  // namespace testsupport
