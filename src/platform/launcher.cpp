#include "platform/launcher.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>

extern char** environ;

namespace platform {
namespace {

SpawnLauncher gDefault;
Launcher* gCurrent = nullptr;

bool IsExecutableFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::string FindProgram(const std::string& name) {
    if (name.empty()) return "";
    if (name.find('/') != std::string::npos) return IsExecutableFile(name) ? name : "";
    const char* path = std::getenv("PATH");
    std::string dirs = path && *path ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string dir = dirs.substr(start, end - start);
        if (dir.empty()) dir = ".";
        std::string candidate = dir + "/" + name;
        if (IsExecutableFile(candidate)) return candidate;
        start = end + 1;
    }
    return "";
}

// Double fork so the program is re-parented and reaped by init: we never
// wait for it and leave no zombie. A close-on-exec pipe carries an exec
// failure back, so a missing or broken program is still reported.
bool SpawnLauncher::Start(const std::vector<std::string>& argv, std::string* error) {
    auto fail = [&](const std::string& msg) {
        if (error) *error = msg;
        return false;
    };
    if (argv.empty() || argv[0].empty()) return fail("No program to start.");
    std::string program = FindProgram(argv[0]);
    if (program.empty()) return fail("Could not find the program \"" + argv[0] + "\".");

    // Everything the children need is prepared before fork: after it only
    // async-signal-safe calls are made.
    std::vector<char*> args;
    args.reserve(argv.size() + 1);
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    int pipefd[2];
    if (::pipe2(pipefd, O_CLOEXEC) != 0)
        return fail(std::string("Could not start ") + argv[0] + ": " + std::strerror(errno));

    pid_t child = ::fork();
    if (child < 0) {
        int e = errno;
        ::close(pipefd[0]);
        ::close(pipefd[1]);
        return fail(std::string("Could not start ") + argv[0] + ": " + std::strerror(e));
    }
    if (child == 0) {
        ::close(pipefd[0]);
        ::setsid();
        pid_t grandchild = ::fork();
        if (grandchild < 0) {
            int e = errno;
            (void)!::write(pipefd[1], &e, sizeof e);
            ::_exit(1);
        }
        if (grandchild > 0) ::_exit(0);
        ::execve(program.c_str(), args.data(), environ);
        int e = errno;
        (void)!::write(pipefd[1], &e, sizeof e);
        ::_exit(127);
    }
    ::close(pipefd[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    int execErrno = 0;
    ssize_t n;
    do {
        n = ::read(pipefd[0], &execErrno, sizeof execErrno);
    } while (n < 0 && errno == EINTR);
    ::close(pipefd[0]);
    if (n == static_cast<ssize_t>(sizeof execErrno))
        return fail(std::string("Could not start ") + argv[0] + ": " + std::strerror(execErrno));
    return true;
}

std::optional<std::string> ProgramOutput(const std::vector<std::string>& argv, std::size_t maxBytes,
                                         int timeoutMs) {
    if (argv.empty()) return std::nullopt;
    const std::string program = FindProgram(argv[0]);
    if (program.empty()) return std::nullopt;
    std::vector<char*> args;
    for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);

    int out[2];
    if (::pipe2(out, O_CLOEXEC) != 0) return std::nullopt;
    pid_t child = ::fork();
    if (child < 0) {
        ::close(out[0]);
        ::close(out[1]);
        return std::nullopt;
    }
    if (child == 0) {
        int null = ::open("/dev/null", O_RDWR);
        if (null >= 0) {
            ::dup2(null, 0);
            ::dup2(null, 2);
        }
        ::dup2(out[1], 1);
        ::execve(program.c_str(), args.data(), environ);
        ::_exit(127);
    }
    ::close(out[1]);

    std::string text;
    bool inTime = true;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        deadline - std::chrono::steady_clock::now())
                        .count();
        if (left <= 0) {
            inTime = false;
            break;
        }
        pollfd p{out[0], POLLIN, 0};
        int r = ::poll(&p, 1, static_cast<int>(left));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) {
            inTime = r < 0 ? true : false;
            break;
        }
        char buf[1024];
        ssize_t n = ::read(out[0], buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        text.append(
            buf, std::min(static_cast<std::size_t>(n), maxBytes - std::min(maxBytes, text.size())));
    }
    ::close(out[0]);
    if (!inTime) ::kill(child, SIGKILL);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!inTime || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    return text;
}

std::string StartFailureText(const std::vector<std::string>& argv, const std::string& error) {
    if (argv.empty() || argv[0] != "xdg-open" || !FindProgram(argv[0]).empty()) return error;
    std::string text = error;
    if (argv.size() > 1) text = "Could not open " + argv[1] + ". " + text;
    return text +
           " It opens files, folders and web pages with the desktop's programs. Install the "
           "xdg-utils package (for example: sudo apt install xdg-utils) and try again.";
}

Launcher& CurrentLauncher() { return gCurrent ? *gCurrent : gDefault; }

Launcher* SetLauncher(Launcher* l) {
    Launcher* old = gCurrent;
    gCurrent = l;
    return old;
}

bool ProcessRuns(pid_t pid, const std::string& name) {
    if (pid <= 0) return false;
    std::string proc = "/proc/" + std::to_string(pid);
    char buf[4096];
    ssize_t n = ::readlink((proc + "/exe").c_str(), buf, sizeof buf - 1);
    if (n > 0) {
        std::string exe(buf, static_cast<size_t>(n));
        const std::string deleted = " (deleted)";
        if (exe.size() > deleted.size() && exe.ends_with(deleted))
            exe.resize(exe.size() - deleted.size());
        auto slash = exe.rfind('/');
        return exe.substr(slash == std::string::npos ? 0 : slash + 1) == name;
    }
    // Without access to the executable link, the short command name will do.
    std::ifstream comm(proc + "/comm");
    std::string c;
    if (!std::getline(comm, c)) return false;
    return c == name.substr(0, 15);
}

int OtherProcessesRunning(const std::string& name) {
    DIR* proc = ::opendir("/proc");
    if (!proc) return 0;
    int count = 0;
    const pid_t self = ::getpid();
    while (dirent* d = ::readdir(proc)) {
        char* end = nullptr;
        long pid = std::strtol(d->d_name, &end, 10);
        if (*end != '\0' || pid <= 0 || pid == self) continue;
        if (ProcessRuns(static_cast<pid_t>(pid), name)) ++count;
    }
    ::closedir(proc);
    return count;
}

}  // namespace platform
