// A batch of files is replaced all together or not at all: a failed write
// or a failed sync before the renames leaves every old file as it was and
// no temporary file behind.
#include "catalog/file_batch.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "failing_sync.h"
#include "file_size_limit.h"
#include "temp_dir.h"

namespace catalog {
namespace {

enum class Fault { kNone, kDiskFull, kSyncFails };

TEST(FileBatch, CommitsEveryFileOrNone) {
    const std::string big(600000, 'n');  // larger than the batch's buffer
    const struct {
        Fault fault;
        const char* why;
    } cases[] = {
        {Fault::kNone, ""}, {Fault::kDiskFull, "write failed"}, {Fault::kSyncFails, "sync failed"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        testsupport::TempDir dir;
        dir.Write("ambit.amb", "old main");
        dir.Write("folder1", "old folder");
        bool committed;
        {
            FileBatch batch(dir.Path());
            std::unique_ptr<testsupport::FileSizeLimit> full;
            std::unique_ptr<testsupport::FailingSync> failing;
            if (c.fault == Fault::kDiskFull)
                full = std::make_unique<testsupport::FileSizeLimit>(1000);
            if (c.fault == Fault::kSyncFails)
                failing = std::make_unique<testsupport::FailingSync>();
            ASSERT_TRUE(batch.Begin("folder1"));
            batch.Write(big);
            batch.End();
            ASSERT_TRUE(batch.Begin("ambit.amb"));
            batch.Write("new main");
            batch.End();
            committed = batch.Commit();
            EXPECT_NE(batch.Error().find(c.why), std::string::npos) << batch.Error();
        }
        EXPECT_EQ(committed, c.fault == Fault::kNone);
        EXPECT_EQ(dir.Read("ambit.amb"), committed ? "new main" : "old main");
        EXPECT_EQ(dir.Read("folder1"), committed ? big : "old folder");
        size_t entries = 0;
        for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir.Path())) ++entries;
        EXPECT_EQ(entries, 2u);
    }
}

}  // namespace
}  // namespace catalog
