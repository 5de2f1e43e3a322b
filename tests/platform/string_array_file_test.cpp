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

// A missing file is an empty list that the first append creates.
TEST(StringArrayFile, RoundTripsAnyContentAndAppends) {
    testsupport::TempDir dir;
    std::vector<std::string> items{"stale"};
    EXPECT_EQ(platform::ReadStringArrayFile(dir.File("list"), items), StringArrayRead::kMissing);
    EXPECT_TRUE(items.empty());
    ASSERT_TRUE(platform::AppendToStringArrayFile(dir.File("list"), "one"));
    ASSERT_TRUE(platform::AppendToStringArrayFile(dir.File("list"), "two"));
    ASSERT_EQ(platform::ReadStringArrayFile(dir.File("list"), items), StringArrayRead::kOk);
    EXPECT_EQ(items, (std::vector<std::string>{"one", "two"}));

    for (const std::vector<std::string>& written : std::vector<std::vector<std::string>>{
             {},
             {""},
             {"a$$b$$c$$", "", std::string("nul\0inside", 10), std::string(70000, 'x')},
             {"\xff\xfe binary \r\n", "äöü"}}) {
        ASSERT_TRUE(platform::WriteStringArrayFile(dir.File("list"), written));
        EXPECT_EQ(platform::ReadStringArrayFile(dir.File("list"), items), StringArrayRead::kOk);
        EXPECT_EQ(items, written);
    }
}

// A damaged file is neither read in part, nor overwritten, nor extended.
TEST(StringArrayFile, EveryTruncationAndCorruptionIsReportedNotRead) {
    const std::string good = platform::EncodeStringArray({"first$$entry$$", "second", ""});
    std::vector<std::string> bad;
    for (size_t n = 0; n < good.size(); ++n) bad.push_back(good.substr(0, n));
    bad.push_back(good + "x");
    bad.push_back("X" + good.substr(1));                                  // tag
    bad.push_back(std::string(good).replace(12, 4, "\xff\xff\xff\xff"));  // count
    bad.push_back(std::string(good).replace(16, 4, "\xff\xff\xff\xff"));  // first length
    for (const auto& content : bad) {
        std::vector<std::string> items{"stale"};
        std::string error;
        EXPECT_FALSE(platform::DecodeStringArray(content, items, &error)) << content.size();
        EXPECT_TRUE(items.empty());
        EXPECT_FALSE(error.empty());
    }

    testsupport::TempDir dir;
    const std::string cut = dir.Write("ambit.log", good.substr(0, good.size() - 3));
    std::vector<std::string> items;
    std::string readError, appendError;
    EXPECT_EQ(platform::ReadStringArrayFile(cut, items, &readError), StringArrayRead::kFailed);
    EXPECT_NE(readError.find("ambit.log"), std::string::npos);
    EXPECT_NE(readError.find("damaged"), std::string::npos);
    EXPECT_FALSE(platform::AppendToStringArrayFile(cut, "entry", &appendError));
    EXPECT_NE(appendError.find("damaged"), std::string::npos);
    EXPECT_EQ(dir.Read("ambit.log"), good.substr(0, good.size() - 3));
}

// As several skiffs finishing together do.
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
                ok = platform::AppendToStringArrayFile(path, std::to_string(p * 100 + i)) && ok;
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
    EXPECT_EQ(std::set<std::string>(items.begin(), items.end()).size(),
              static_cast<size_t>(kProcesses * kEntries));
}

}  // namespace
