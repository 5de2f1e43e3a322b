// Two programs on one settings file: writers running at the same moment
// lose nothing, each reads what the other stored, and a writer killed at
// an arbitrary moment leaves a sound file holding every value it had been
// told was stored.
#include <signal.h>
#include <sqlite3.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "child_process.h"
#include "registry_fixture.h"
#include "store/registry_number.h"
#include "store/registry_string.h"

namespace {

using namespace store;

// A registry_worker with its standard output on a pipe.
testsupport::ChildProcess Worker(std::vector<std::string> args) {
    args.insert(args.begin(), REGISTRY_WORKER);
    return testsupport::ChildProcess(std::move(args));
}

uint32_t StoredNumber(const std::string& subkey, unsigned long i) {
    return RegistryNumber(kLocalMachine, ApplicationKeyPath(subkey), "v" + std::to_string(i)).Get();
}

using RegistryProcessTest = RegistryTest;

TEST_F(RegistryProcessTest, WritersAtTheSameMomentLoseNothingAndReadEachOther) {
    // No file yet: all three processes race to create it.
    constexpr unsigned long kCount = 300;
    auto a = Worker({"write", "a", "0", std::to_string(kCount)});
    auto b = Worker({"write", "b", "0", std::to_string(kCount)});
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

    auto reader = Worker({"read", "p", "100"});
    EXPECT_EQ(reader.Finish(), 0);
    auto getter = Worker({"get", "email"});
    EXPECT_EQ(getter.Finish(), 0);
    EXPECT_EQ(getter.Lines(), std::vector<std::string>{"parent@example.com"});
}

TEST_F(RegistryProcessTest, KilledWriterLeavesASoundFileWithEveryCommittedValue) {
    RegistryString("email", "parent@example.com");
    unsigned long first = 0;
    for (size_t killAfter : {40u, 150u, 333u}) {
        SCOPED_TRACE(killAfter);
        auto w = Worker({"write", "k", std::to_string(first), "1000000", "flush"});
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
