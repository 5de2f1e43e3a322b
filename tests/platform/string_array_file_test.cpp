// The shared list files: what one program writes the other must read back
// exactly; damage is reported and never crashes or half-reads; concurrent
// appenders never lose each other's entries.
#include "platform/string_array_file.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <set>

#include "temp_dir.h"

namespace {

using platform::StringArrayRead;

TEST(StringArrayFile, RoundTripsAnyContent) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {""},
        {"one"},
        {"a$$b$$c$$", "", std::string("nul\0inside", 10), std::string(70000, 'x')},
        {"\xff\xfe binary \r\n", "äöü"},
    };
    testsupport::TempDir dir;
    for (const auto& items : cases) {
        std::string error;
        ASSERT_TRUE(platform::WriteStringArrayFile(dir.File("list"), items, &error)) << error;
        std::vector<std::string> back{"stale"};
        EXPECT_EQ(platform::ReadStringArrayFile(dir.File("list"), back, &error),
                  StringArrayRead::kOk)
            << error;
        EXPECT_EQ(back, items);
    }
}

TEST(StringArrayFile, EveryTruncationAndCorruptionIsReportedNotRead) {
    std::string good = platform::EncodeStringArray({"first$$entry$$", "second", ""});
    std::vector<std::string> bad;
    for (size_t n = 0; n < good.size(); ++n) bad.push_back(good.substr(0, n));
    bad.push_back(good + "x");  // trailing data
    std::string wrongTag = good;
    wrongTag[0] = 'X';
    bad.push_back(wrongTag);
    std::string hugeCount = good;
    hugeCount[12] = hugeCount[13] = hugeCount[14] = hugeCount[15] = '\xff';
    bad.push_back(hugeCount);
    std::string hugeLength = good;
    hugeLength[16] = hugeLength[17] = hugeLength[18] = hugeLength[19] = '\xff';
    bad.push_back(hugeLength);

    for (const auto& content : bad) {
        std::vector<std::string> items{"stale"};
        std::string error;
        EXPECT_FALSE(platform::DecodeStringArray(content, items, &error)) << content.size();
        EXPECT_TRUE(items.empty());
        EXPECT_FALSE(error.empty());
    }

    testsupport::TempDir dir;
    dir.Write("ambit.log", good.substr(0, good.size() - 3));
    std::vector<std::string> items;
    std::string error;
    EXPECT_EQ(platform::ReadStringArrayFile(dir.File("ambit.log"), items, &error),
              StringArrayRead::kFailed);
    EXPECT_NE(error.find("ambit.log"), std::string::npos);
    EXPECT_NE(error.find("damaged"), std::string::npos);
}

// A missing file is an empty list that the first append creates; a damaged
// one is neither overwritten nor extended.
TEST(StringArrayFile, AppendCreatesAMissingFileAndLeavesADamagedOneAlone) {
    testsupport::TempDir dir;
    std::vector<std::string> items{"stale"};
    EXPECT_EQ(platform::ReadStringArrayFile(dir.File("none"), items), StringArrayRead::kMissing);
    EXPECT_TRUE(items.empty());
    ASSERT_TRUE(platform::AppendToStringArrayFile(dir.File("log"), "one"));
    ASSERT_TRUE(platform::AppendToStringArrayFile(dir.File("log"), "two"));
    ASSERT_EQ(platform::ReadStringArrayFile(dir.File("log"), items), StringArrayRead::kOk);
    EXPECT_EQ(items, (std::vector<std::string>{"one", "two"}));

    dir.Write("bad", "not a list at all");
    std::string error;
    EXPECT_FALSE(platform::AppendToStringArrayFile(dir.File("bad"), "entry", &error));
    EXPECT_NE(error.find("damaged"), std::string::npos);
    EXPECT_EQ(dir.Read("bad"), "not a list at all");
}

// Several processes appending at once, as several skiffs finishing together
// do: every entry of every process must be in the file afterwards.
TEST(StringArrayFile, ConcurrentAppendsLoseNothing) {
    testsupport::TempDir dir;
    const std::string path = dir.File("ambit.log");
    constexpr int kProcesses = 4, kEntries = 40;
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            bool ok = true;
            for (int i = 0; i < kEntries; ++i)
                ok = platform::AppendToStringArrayFile(
                         path, std::to_string(p) + "-" + std::to_string(i)) &&
                     ok;
            _exit(ok ? 0 : 1);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    std::vector<std::string> items;
    ASSERT_EQ(platform::ReadStringArrayFile(path, items), StringArrayRead::kOk);
    EXPECT_EQ(items.size(), static_cast<size_t>(kProcesses * kEntries));
    std::set<std::string> unique(items.begin(), items.end());
    EXPECT_EQ(unique.size(), items.size());
}

}  // namespace
