// Resume records on a real settings file and real chunk folders: numbering
// (also by two programs at once), the record's life from creation to
// deletion, and which records the start-up offer may take.
#include "purchase/resume_records.h"

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <set>

#include "child_process.h"
#include "platform/paths.h"
#include "purchase_fixture.h"
#include "store/registry_errors.h"
#include "store/registry_key.h"
#include "store/registry_number.h"
#include "store/registry_string.h"

using purchase::ResumeRecord;
using purchase::ResumeRecords;

namespace {

class ResumeRecordsTest : public PurchaseTest {
protected:
    std::uint32_t CreateRecord(const std::string& source = "/pub/game.zip") {
        std::uint32_t n = ResumeRecords::NextTransactionNumber();
        EXPECT_TRUE(ResumeRecords::Create(n, source, "/home/u/Downloads/game.zip",
                                          "ftp.example.org", 1999, true, "Game"));
        return n;
    }
    static void WriteChunk(std::uint32_t n, std::uint32_t index, std::size_t bytes) {
        int fd = ResumeRecords::OpenChunk(n, index, true);
        ASSERT_GE(fd, 0);
        std::string data(bytes, 'x');
        ASSERT_EQ(::write(fd, data.data(), data.size()), static_cast<ssize_t>(bytes));
        ::close(fd);
    }
};

}  // namespace

TEST_F(ResumeRecordsTest, NumbersStartAtOneAndAreNeverHandedOutTwice) {
    EXPECT_EQ(ResumeRecords::NextTransactionNumber(), 1u);
    EXPECT_EQ(ResumeRecords::NextTransactionNumber(), 2u);

    // Two programs taking numbers at the same moment.
    constexpr int kEach = 150;
    testsupport::ChildProcess a({PURCHASE_WORKER, "numbers", std::to_string(kEach)});
    testsupport::ChildProcess b({PURCHASE_WORKER, "numbers", std::to_string(kEach)});
    ASSERT_TRUE(a.Started() && b.Started());
    ASSERT_EQ(a.Finish(), 0);
    ASSERT_EQ(b.Finish(), 0);
    std::set<std::string> numbers(a.Lines().begin(), a.Lines().end());
    numbers.insert(b.Lines().begin(), b.Lines().end());
    EXPECT_EQ(numbers.size(), 2u * kEach);
    EXPECT_EQ(ResumeRecords::NextTransactionNumber(), 2u * kEach + 3);

    store::RegistryString("Trans Num").Set("7");
    EXPECT_THROW(ResumeRecords::NextTransactionNumber(), store::CRegistryEType);
}

TEST_F(ResumeRecordsTest, RecordKeepsItsFieldsAndCountsWholeChunks) {
    std::uint32_t n = CreateRecord();
    EXPECT_EQ(Mode(ResumeRecords::ChunkFolder(n)), 0700);
    EXPECT_TRUE(ResumeRecords::CheckSize(n, 100000));  // the first size is stored
    EXPECT_FALSE(ResumeRecords::CheckSize(n, 100001));
    // Interrupted after the first chunk of a 100,000-byte file.
    WriteChunk(n, 0, ResumeRecords::kChunkSize);
    ResumeRecords::SetDownloaded(n, ResumeRecords::kChunkSize);
    EXPECT_EQ(ResumeRecords::Downloaded(n), 65536u);
    EXPECT_EQ(ResumeRecords::ChunkIndex(ResumeRecords::Downloaded(n)), 1u);
    EXPECT_EQ(ResumeRecords::ChunkIndex(100000), 2u);
    EXPECT_EQ(Mode(ResumeRecords::ChunkPath(n, 0)), 0600);
    EXPECT_EQ(ResumeRecords::ChunkPath(n, 0),
              platform::SystemDirectory() + "/" + std::to_string(n) + "/0");

    ResumeRecord r;
    ASSERT_EQ(ResumeRecords::Find(0, r), ResumeRecords::Found::kRecord);
    EXPECT_EQ(r, (ResumeRecord{n, 100000, 65536, "/pub/game.zip", "/home/u/Downloads/game.zip",
                               "ftp.example.org", 1999, true, "Game", ::getpid()}));
    EXPECT_EQ(ResumeRecords::Find(1, r), ResumeRecords::Found::kNone);

    // A path that a setting would cut is refused before anything is stored.
    EXPECT_THROW(ResumeRecords::Create(99, "/a", std::string(300, 'd'), "h", 1, false, "x"),
                 store::CRegistryESet);
    EXPECT_EQ(ResumeRecords::Find(1, r), ResumeRecords::Found::kNone);
}

TEST_F(ResumeRecordsTest, DeletionLeavesNoChunkNoFolderAndNoRecord) {
    // An early abort: a partial first chunk, downloaded still 0.
    std::uint32_t early = CreateRecord("/pub/a.zip");
    WriteChunk(early, 0, 1000);
    // A record well under way, with a stray file in its folder.
    std::uint32_t later = CreateRecord("/pub/b.zip");
    for (std::uint32_t i = 0; i < 3; ++i) WriteChunk(later, i, ResumeRecords::kChunkSize);
    ResumeRecords::SetDownloaded(later, 3 * ResumeRecords::kChunkSize);
    WriteChunk(later, 3, 10);
    std::uint32_t kept = CreateRecord("/pub/c.zip");
    WriteChunk(kept, 0, 10);

    // From another directory, so nothing may rely on the current one.
    std::filesystem::path cwd = std::filesystem::current_path();
    std::filesystem::current_path("/");
    ResumeRecords::Delete(early);
    ResumeRecords::Delete(later);
    std::filesystem::current_path(cwd);

    for (std::uint32_t n : {early, later})
        EXPECT_FALSE(platform::FileExists(ResumeRecords::ChunkFolder(n))) << n;
    ResumeRecord r;
    ASSERT_EQ(ResumeRecords::Find(0, r), ResumeRecords::Found::kRecord);
    EXPECT_EQ(r.number, kept);
    EXPECT_TRUE(platform::FileExists(ResumeRecords::ChunkPath(kept, 0)));
    EXPECT_EQ(ResumeRecords::Find(1, r), ResumeRecords::Found::kNone);
}

TEST_F(ResumeRecordsTest, OnlyARunningSkiffMakesARecordBusy) {
    testsupport::ChildProcess skiff({PURCHASE_WORKER, "wait"});
    ASSERT_TRUE(skiff.Started());
    ASSERT_TRUE(skiff.ReadLines(1));
    pid_t ended = 0;
    {
        testsupport::ChildProcess gone({PURCHASE_WORKER, "numbers", "0"});
        ended = gone.Pid();
        ASSERT_EQ(gone.Finish(), 0);
    }
    struct Case {
        const char* what;
        pid_t pid;
        ResumeRecords::Found found;
    };
    const Case cases[] = {
        {"a running skiff", skiff.Pid(), ResumeRecords::Found::kInProgress},
        {"a live process that is no skiff", ::getpid(), ResumeRecords::Found::kRecord},
        {"a process that ended", ended, ResumeRecords::Found::kRecord},
        {"no process", 0, ResumeRecords::Found::kRecord},
    };
    for (const Case& c : cases) {
        std::uint32_t n = CreateRecord();
        store::RegistryNumber(store::kLocalMachine,
                              store::ApplicationKeyPath("incomplete\\" + std::to_string(n)), "pid")
            .Set(static_cast<std::uint32_t>(c.pid));
        ResumeRecord r;
        EXPECT_EQ(ResumeRecords::Find(0, r), c.found) << c.what;
        ResumeRecords::Delete(n);
    }

    // A record key that names no number cannot be read as a record.
    store::RegistryKey("incomplete\\junk");
    ResumeRecord r;
    EXPECT_THROW(ResumeRecords::Find(0, r), store::CRegistryEGet);
}
