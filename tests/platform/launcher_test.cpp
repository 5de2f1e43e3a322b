// Starting programs: real processes, no shell, failures reported.
#include "platform/launcher.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <chrono>
#include <fstream>

#include "temp_dir.h"

namespace {

// Waits (bounded) until the file exists and has content, using inotify on
// its directory rather than sleeping.
bool WaitForFile(const std::string& dir, const std::string& path, int timeoutMs) {
    int fd = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    inotify_add_watch(fd, dir.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    bool found = false;
    while (!found) {
        std::ifstream in(path);
        std::string line;
        if (in && std::getline(in, line) && !line.empty()) {
            found = true;
            break;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) break;
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left)) > 0) {
            char buf[4096];
            while (read(fd, buf, sizeof buf) > 0) {
            }
        }
    }
    close(fd);
    return found;
}

TEST(Launcher, ArgumentsReachTheProgramUnchangedWithoutAShell) {
    testsupport::TempDir dir;
    // A file name that a shell would split, expand or run.
    std::string hostile = "a b; touch " + dir.File("pwned") + " $(id) 'q\"";
    std::string error;
    std::string script = dir.Write("args.sh", "#!/bin/sh\nprintf '%s\\n' \"$1\" > \"$2.tmp\" && mv \"$2.tmp\" \"$2\"\n");
    chmod(script.c_str(), 0755);
    std::string out2 = dir.File("args.txt");
    ASSERT_TRUE(platform::SpawnLauncher().Start({script, hostile, out2}, &error)) << error;
    ASSERT_TRUE(WaitForFile(dir.Path(), out2, 10000));
    std::ifstream in(out2);
    std::string got;
    std::getline(in, got);
    EXPECT_EQ(got, hostile);
    EXPECT_FALSE(std::ifstream(dir.File("pwned")).good());
}

TEST(Launcher, MissingOrBrokenProgramIsReported) {
    testsupport::TempDir dir;
    std::string error;
    EXPECT_FALSE(platform::SpawnLauncher().Start({"no-such-program-ambit"}, &error));
    EXPECT_NE(error.find("no-such-program-ambit"), std::string::npos);

    std::string notExec = dir.Write("bad", "\x7f" "ELF garbage");
    chmod(notExec.c_str(), 0755);
    error.clear();
    EXPECT_FALSE(platform::SpawnLauncher().Start({notExec}, &error));
    EXPECT_FALSE(error.empty());
}

TEST(Launcher, ProcessRunsKnowsOurOwnProgram) {
    std::string self = "platform_tests";
    EXPECT_TRUE(platform::ProcessRuns(getpid(), self));
    EXPECT_FALSE(platform::ProcessRuns(getpid(), "skiff"));
    EXPECT_FALSE(platform::ProcessRuns(0, self));
}

}  // namespace
