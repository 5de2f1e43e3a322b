#include "server_process.h"

#include <cstdlib>

namespace testsupport {

namespace {
std::vector<std::string> ServerCommand(const std::string& script,
                                       const std::vector<std::string>& args) {
    std::vector<std::string> argv{AMBIT_PYTHON, std::string(AMBIT_TEST_SERVERS_DIR) + "/" + script};
    argv.insert(argv.end(), args.begin(), args.end());
    return argv;
}
}  // namespace

ServerProcess::ServerProcess(const std::string& script, const std::vector<std::string>& args)
    : child_(ServerCommand(script, args), true) {
    if (!child_.Started()) {
        error_ = "cannot start " + std::string(AMBIT_PYTHON) + " " + script;
        return;
    }
    const bool answered = child_.ReadLines(1, 20000);
    if (child_.Lines().empty()) {
        error_ = script + (answered ? " ended before reporting its port"
                                    : " did not report its port in time");
        return;
    }
    const std::string& line = child_.Lines().front();
    if (line.rfind("PORT ", 0) == 0) port_ = std::atoi(line.c_str() + 5);
    if (port_ <= 0) error_ = script + " printed " + line;
}

bool ServerProcess::WaitForExit(double seconds) {
    child_.Finish(static_cast<int>(seconds * 1000));
    return !child_.Started();
}

void ServerProcess::Stop() {
    child_.CloseInput();
    if (!WaitForExit(5)) child_.Kill();  // the child reaps it
}

}  // namespace testsupport
