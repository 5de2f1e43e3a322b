// Starting programs: real processes, no shell, failures reported.
#include "platform/launcher.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <chrono>

#include "temp_dir.h"

namespace {

// Waits (bounded) until `name` appears in `dir` (written elsewhere and moved
// in whole), using inotify on the directory rather than sleeping.
std::string WaitForFile(const testsupport::TempDir& dir, const std::string& name) {
    int fd = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    inotify_add_watch(fd, dir.Path().c_str(), IN_CLOSE_WRITE | IN_MOVED_TO);
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    std::string content;
    while ((content = dir.Read(name)).empty() && std::chrono::steady_clock::now() < deadline) {
        pollfd p{fd, POLLIN, 0};
        char buf[4096];
        if (poll(&p, 1, 100) > 0)
            while (read(fd, buf, sizeof buf) > 0) {
            }
    }
    close(fd);
    return content;
}

TEST(Launcher, ArgumentsReachTheProgramUnchangedWithoutAShell) {
    testsupport::TempDir dir;
    // A file name that a shell would split, expand or run.
    std::string hostile = "a b; touch " + dir.File("pwned") + " $(id) 'q\"";
    std::string error;
    std::string script = dir.Write(
        "args.sh", "#!/bin/sh\nprintf '%s\\n' \"$1\" > \"$2.tmp\" && mv \"$2.tmp\" \"$2\"\n");
    chmod(script.c_str(), 0755);
    ASSERT_TRUE(platform::SpawnLauncher().Start({script, hostile, dir.File("args.txt")}, &error))
        << error;
    EXPECT_EQ(WaitForFile(dir, "args.txt"), hostile + "\n");
    EXPECT_NE(access(dir.File("pwned").c_str(), F_OK), 0);
}

TEST(Launcher, MissingOrBrokenProgramIsReported) {
    testsupport::TempDir dir;
    std::string error;
    EXPECT_FALSE(platform::SpawnLauncher().Start({"no-such-program-ambit"}, &error));
    EXPECT_NE(error.find("no-such-program-ambit"), std::string::npos);

    std::string notExec = dir.Write("bad",
                                    "\x7f"
                                    "ELF garbage");
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
