// The child's stdout stays open until it exits, so the end of that pipe is a
// bounded way to wait for the exit (waitpid has no time-out).
#include "server_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

extern char** environ;

namespace testsupport {

namespace {
int RemainingMs(std::chrono::steady_clock::time_point deadline) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}
}  // namespace

ServerProcess::ServerProcess(const std::string& script, const std::vector<std::string>& args) {
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) {
        error_ = "pipe: " + std::string(std::strerror(errno));
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    std::string python = AMBIT_PYTHON;
    std::string path = std::string(AMBIT_TEST_SERVERS_DIR) + "/" + script;
    std::vector<std::string> argv{python, path};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> cargv;
    for (auto& a : argv) cargv.push_back(a.data());
    cargv.push_back(nullptr);
    int rc = posix_spawn(&pid_, python.c_str(), &actions, nullptr, cargv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    stdinFd_ = in[1];
    stdoutFd_ = out[0];
    if (rc != 0) {
        pid_ = -1;
        error_ = "cannot start " + python + ": " + std::strerror(rc);
        return;
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    std::string line;
    while (line.find('\n') == std::string::npos) {
        pollfd p{stdoutFd_, POLLIN, 0};
        int ready = poll(&p, 1, RemainingMs(deadline));
        if (ready <= 0) {
            error_ = script + " did not report its port in time";
            return;
        }
        char buffer[256];
        ssize_t n = ::read(stdoutFd_, buffer, sizeof buffer);
        if (n <= 0) {
            error_ = script + " ended before reporting its port";
            return;
        }
        line.append(buffer, static_cast<size_t>(n));
    }
    if (line.rfind("PORT ", 0) == 0) port_ = std::atoi(line.c_str() + 5);
    if (port_ <= 0) error_ = script + " printed " + line;
}

bool ServerProcess::WaitForExit(double seconds) {
    if (pid_ < 0) return true;
    auto deadline = std::chrono::steady_clock::now() +
                    std::chrono::milliseconds(static_cast<int>(seconds * 1000));
    for (;;) {
        pollfd p{stdoutFd_, POLLIN, 0};
        int ready = poll(&p, 1, RemainingMs(deadline));
        if (ready <= 0) return false;
        char buffer[256];
        if (::read(stdoutFd_, buffer, sizeof buffer) <= 0) break;  // end of pipe: it has exited
    }
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
    return true;
}

void ServerProcess::Stop() {
    if (stdinFd_ >= 0) {
        ::close(stdinFd_);
        stdinFd_ = -1;
    }
    if (pid_ >= 0 && !WaitForExit(5)) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }
}

ServerProcess::~ServerProcess() {
    Stop();
    if (stdoutFd_ >= 0) ::close(stdoutFd_);
}

}  // namespace testsupport
