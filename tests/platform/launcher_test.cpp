// Starting programs: real processes, no shell, failures reported.
#include "platform/launcher.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>

#include "temp_dir.h"

namespace {

// Waits (bounded) until `name` appears in `dir`, moved in whole, watching
// the directory rather than sleeping.
std::string WaitForFile(const testsupport::TempDir& dir, const std::string& name) {
    int fd = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    inotify_add_watch(fd, dir.Path().c_str(), IN_MOVED_TO);
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
    const std::string hostile = "a b; touch " + dir.File("pwned") + " $(id) 'q\"";
    std::string script = dir.Write(
        "args.sh", "#!/bin/sh\nprintf '%s\\n' \"$1\" > \"$2.tmp\" && mv \"$2.tmp\" \"$2\"\n");
    chmod(script.c_str(), 0755);
    std::string error;
    ASSERT_TRUE(platform::SpawnLauncher().Start({script, hostile, dir.File("args.txt")}, &error))
        << error;
    EXPECT_EQ(WaitForFile(dir, "args.txt"), hostile + "\n");
    EXPECT_NE(access(dir.File("pwned").c_str(), F_OK), 0);

    chmod(dir.Write("bad",
                    "\x7f"
                    "ELF garbage")
              .c_str(),
          0755);
    for (const std::string& broken : {std::string("no-such-program-ambit"), dir.File("bad")}) {
        error.clear();
        EXPECT_FALSE(platform::SpawnLauncher().Start({broken}, &error));
        EXPECT_NE(error.find(broken), std::string::npos) << error;
    }
}

TEST(Launcher, ProcessRunsKnowsOurOwnProgram) {
    EXPECT_TRUE(platform::ProcessRuns(getpid(), "platform_tests"));
    EXPECT_FALSE(platform::ProcessRuns(getpid(), "skiff"));
    EXPECT_FALSE(platform::ProcessRuns(0, "platform_tests"));
}

}  // namespace
