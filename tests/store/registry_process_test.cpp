// Two programs on one settings file: writers running at the same moment
// lose nothing, each reads what the other stored, and a writer killed at
// an arbitrary moment leaves a sound file holding every value it had been
// told was stored.
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "registry_fixture.h"
#include "store/registry_number.h"
#include "store/registry_string.h"

extern char** environ;

namespace {

using namespace store;

// A registry_worker with its standard output on a pipe. Every wait is
// bounded; a worker still running when the object dies is killed.
class Worker {
public:
    explicit Worker(std::vector<std::string> args) {
        int fds[2];
        if (::pipe(fds) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        args.insert(args.begin(), REGISTRY_WORKER);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawn(&pid_, REGISTRY_WORKER, &actions, nullptr, argv.data(), environ) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        fd_ = fds[0];
    }
    ~Worker() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
        if (fd_ >= 0) ::close(fd_);
    }

    bool Started() const { return pid_ > 0; }

    // Reads complete lines until `want` of them arrived in total or the
    // output ended. False if nothing arrived for the timeout.
    bool ReadLines(size_t want, int timeoutMs = 60000) {
        while (lines_.size() < want && !eof_) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, timeoutMs) <= 0) return false;
            char buf[4096];
            ssize_t n = ::read(fd_, buf, sizeof buf);
            if (n <= 0) {
                eof_ = true;
                break;
            }
            partial_.append(buf, static_cast<size_t>(n));
            for (size_t nl; (nl = partial_.find('\n')) != std::string::npos;
                 partial_.erase(0, nl + 1))
                lines_.push_back(partial_.substr(0, nl));
        }
        return true;
    }

    // Reads to the end of output, then reaps the process; its exit status,
    // or -1 after a signal or a timeout.
    int Finish(int timeoutMs = 120000) {
        if (!ReadLines(static_cast<size_t>(-1), timeoutMs)) return -1;
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    void Kill() { ::kill(pid_, SIGKILL); }

    const std::vector<std::string>& Lines() const { return lines_; }

private:
    pid_t pid_ = -1;
    int fd_ = -1;
    bool eof_ = false;
    std::string partial_;
    std::vector<std::string> lines_;
};

uint32_t StoredNumber(const std::string& subkey, unsigned long i) {
    return RegistryNumber(kLocalMachine, ApplicationKeyPath(subkey), "v" + std::to_string(i)).Get();
}

using RegistryProcessTest = RegistryTest;

TEST_F(RegistryProcessTest, WritersAtTheSameMomentLoseNothingAndReadEachOther) {
    // No file yet: all three processes race to create it.
    constexpr unsigned long kCount = 300;
    Worker a({"write", "a", "0", std::to_string(kCount)});
    Worker b({"write", "b", "0", std::to_string(kCount)});
    ASSERT_TRUE(a.Started() && b.Started());
    // This process writes as well while the two workers run.
    RegistryString("email", "parent@example.com");
    for (unsigned long i = 0; i < 100; ++i)
        RegistryNumber(kLocalMachine, ApplicationKeyPath("p"), "v" + std::to_string(i))
            .Set(static_cast<uint32_t>(i));
    EXPECT_EQ(a.Finish(), 0);
    EXPECT_EQ(b.Finish(), 0);
    EXPECT_EQ(a.Lines().size(), kCount);
    EXPECT_EQ(b.Lines().size(), kCount);
    for (unsigned long i = 0; i < kCount; ++i) {
        ASSERT_EQ(StoredNumber("a", i), i);
        ASSERT_EQ(StoredNumber("b", i), i);
    }
    std::string shared = RegistryString("shared").Get();
    EXPECT_TRUE(shared == "a290" || shared == "b290") << shared;

    Worker reader({"read", "p", "100"});
    EXPECT_EQ(reader.Finish(), 0);
    Worker getter({"get", "email"});
    EXPECT_EQ(getter.Finish(), 0);
    EXPECT_EQ(getter.Lines(), std::vector<std::string>{"parent@example.com"});
}

TEST_F(RegistryProcessTest, KilledWriterLeavesASoundFileWithEveryCommittedValue) {
    RegistryString("email", "parent@example.com");
    unsigned long first = 0;
    for (size_t killAfter : {40u, 150u, 333u}) {
        SCOPED_TRACE(killAfter);
        Worker w({"write", "k", std::to_string(first), "1000000", "flush"});
        ASSERT_TRUE(w.Started());
        ASSERT_TRUE(w.ReadLines(killAfter));
        w.Kill();
        EXPECT_EQ(w.Finish(), -1);
        ASSERT_GE(w.Lines().size(), killAfter);
        unsigned long last = std::stoul(w.Lines().back());
        EXPECT_EQ(last, first + w.Lines().size() - 1);

        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open_v2(Path().c_str(), &db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
        std::string check;
        sqlite3_exec(
            db, "PRAGMA integrity_check",
            [](void* out, int, char** v, char**) {
                *static_cast<std::string*>(out) += v[0] ? v[0] : "";
                return 0;
            },
            &check, nullptr);
        sqlite3_close(db);
        EXPECT_EQ(check, "ok");

        platform::RegistryDb::CloseShared();  // read as a program started afterwards would
        for (unsigned long i = 0; i <= last; ++i) ASSERT_EQ(StoredNumber("k", i), i);
        EXPECT_EQ(RegistryString("email").Get(), "parent@example.com");
        first = last + 1;
    }
}

}  // namespace
