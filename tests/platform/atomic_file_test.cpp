// Replacing files must never leave a half-written file behind.
#include "platform/atomic_file.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>

#include "file_size_limit.h"
#include "temp_dir.h"

namespace {

size_t EntriesIn(const std::string& dir) {
    size_t n = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir)) ++n;
    return n;
}

TEST(AtomicFile, ReplacesContentAndLeavesNoTemporaryFile) {
    testsupport::TempDir dir;
    dir.Write("a.amb", "old");
    std::string big(300000, 'x');  // larger than the writer's buffer
    ASSERT_TRUE(platform::WriteFileAtomically(dir.File("a.amb"), big));
    EXPECT_EQ(dir.Read("a.amb"), big);
    EXPECT_EQ(EntriesIn(dir.Path()), 1u);
}

TEST(AtomicFile, FailedWriteKeepsOldFileAndReportsWhy) {
    testsupport::TempDir dir;
    dir.Write("a.amb", "the old catalog");
    std::string error;
    {
        testsupport::FileSizeLimit limit(1000);
        EXPECT_FALSE(
            platform::WriteFileAtomically(dir.File("a.amb"), std::string(5000, 'y'), &error));
    }
    EXPECT_EQ(dir.Read("a.amb"), "the old catalog");
    EXPECT_NE(error.find("a.amb"), std::string::npos);
    EXPECT_EQ(EntriesIn(dir.Path()), 1u);
    error.clear();
    EXPECT_FALSE(platform::WriteFileAtomically(dir.File("no/such/a.amb"), "x", &error));
    EXPECT_FALSE(error.empty());
}

TEST(AtomicFile, UncommittedWriterLeavesTargetAlone) {
    testsupport::TempDir dir;
    dir.Write("a.amb", "keep");
    {
        platform::AtomicFileWriter w(dir.File("a.amb"));
        ASSERT_TRUE(w.Open());
        w.Write("partial");
    }
    EXPECT_EQ(dir.Read("a.amb"), "keep");
    EXPECT_EQ(EntriesIn(dir.Path()), 1u);
}

}  // namespace
