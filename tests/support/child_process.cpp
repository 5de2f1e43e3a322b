// The pipes are close-on-exec so that no other child of the test holds them
// open: a server's end of output must mean that it has exited.
#include "child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

extern char** environ;

namespace testsupport {

ChildProcess::ChildProcess(std::vector<std::string> argv, bool pipeInput) {
    int out[2], in[2] = {-1, -1};
    if (argv.empty() || ::pipe2(out, O_CLOEXEC) != 0) return;
    if (pipeInput && ::pipe2(in, O_CLOEXEC) != 0) in[0] = in[1] = -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    if (in[0] >= 0) posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    std::vector<char*> args;
    for (auto& a : argv) args.push_back(a.data());
    args.push_back(nullptr);
    if (posix_spawn(&pid_, args[0], &actions, nullptr, args.data(), environ) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    fd_ = out[0];
    if (in[0] >= 0) ::close(in[0]);
    inputFd_ = in[1];
}

ChildProcess::~ChildProcess() {
    CloseInput();
    if (pid_ > 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    if (fd_ >= 0) ::close(fd_);
}

bool ChildProcess::ReadLines(size_t want, int timeoutMs) {
    // One deadline for all the lines: a child that keeps talking cannot
    // stretch the wait.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (lines_.size() < want && !eof_) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd p{fd_, POLLIN, 0};
        if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0) return false;
        char buf[4096];
        ssize_t n = ::read(fd_, buf, sizeof buf);
        if (n <= 0) {
            eof_ = true;
            break;
        }
        partial_.append(buf, static_cast<size_t>(n));
        for (size_t nl; (nl = partial_.find('\n')) != std::string::npos; partial_.erase(0, nl + 1))
            lines_.push_back(partial_.substr(0, nl));
    }
    return true;
}

int ChildProcess::Finish(int timeoutMs) {
    if (pid_ <= 0 || !ReadLines(static_cast<size_t>(-1), timeoutMs)) return -1;
    int status = 0;
    ::waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void ChildProcess::Kill() {
    if (pid_ > 0) ::kill(pid_, SIGKILL);
}

void ChildProcess::CloseInput() {
    if (inputFd_ >= 0) ::close(inputFd_);
    inputFd_ = -1;
}

}  // namespace testsupport
