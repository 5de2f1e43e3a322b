// What skiff does to the local disk when the transfer or the local path is
// not what it should be: a complete copy already there survives a failed
// download, nothing is written through a link, a FIFO never blocks, a
// folder is never uploaded, and a file-size limit is a message.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "skiff_environment.h"

namespace {

using skifftest::SkiffOffline;
using skifftest::SkiffOverFtp;
using skifftest::SkiffScripted;
using testsupport::ScriptedFtpServer;
namespace fs = std::filesystem;

constexpr const char* kOldCopy = "the complete copy from last week";

// Local hazards are refused before anyone is asked: the port never answers.
enum class Plant { kLinkAtTarget, kLinkAtPart, kFifo, kFolder };

TEST_F(SkiffOffline, OnlyRegularFilesAreWrittenOrSent) {
    const struct {
        Plant plant;
        const char* mode;     // "1" download, "3" upload
        const char* message;  // the start of the refusal
    } cases[] = {
        {Plant::kLinkAtTarget, "1", "Cannot download to "},
        {Plant::kLinkAtPart, "1", "Cannot download to "},
        {Plant::kFifo, "1", "Cannot download to "},
        {Plant::kFolder, "1", "Cannot download to "},
        {Plant::kFolder, "3", "Cannot upload "},
        {Plant::kFifo, "3", "Cannot upload "},
    };
    const std::string target = local_.File("f.bin"), victim = local_.File("victim");
    for (const auto& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.plant));
        for (const std::string& name : {target, target + ".part", victim}) fs::remove_all(name);
        local_.Write("victim", "precious");
        if (c.plant == Plant::kLinkAtTarget) fs::create_symlink(victim, target);
        if (c.plant == Plant::kLinkAtPart) fs::create_symlink(victim, target + ".part");
        if (c.plant == Plant::kFifo) {
            ASSERT_EQ(::mkfifo(target.c_str(), 0600), 0);
        }
        if (c.plant == Plant::kFolder) fs::create_directory(target);
        size_t shown = prompt_.Messages().size();
        EXPECT_EQ(RunSkiff(Argument("127.0.0.1", "/f.bin", "u", "p", target, c.mode)), 1);
        ASSERT_EQ(prompt_.Messages().size(), shown + 1);
        EXPECT_TRUE(prompt_.Messages().back().starts_with(c.message)) << prompt_.Messages().back();
        EXPECT_EQ(local_.Read("victim"), "precious");
    }
    EXPECT_FALSE(silent_.AnyoneConnected());
    EXPECT_FALSE(fs::exists(LogPath()));
}

// The server breaks off the transfer: the old copy stays, the part beside it.
TEST_F(SkiffScripted, AFailedReDownloadKeepsTheOldCopyAndThePart) {
    local_.Write("f.bin", kOldCopy);
    ListThenRetr("-rw-r--r-- 1 o g 5000 Dec  6 20:00 f.bin\r\n")
        .DataSendBytes(1200)
        .DataClose()
        .Send("426 connection lost\r\n");
    Start();
    EXPECT_EQ(Download("f.bin"), 1);
    EXPECT_EQ(local_.Read("f.bin"), kOldCopy);
    EXPECT_EQ(local_.Read("f.bin.part"), ScriptedFtpServer::PatternBytes(1200));
    ASSERT_EQ(prompt_.Messages().size(), 1u);
    EXPECT_NE(prompt_.Messages()[0].find("426"), std::string::npos) << prompt_.Messages()[0];
}

// A file-size limit: the write fails with a message instead of the signal
// ending the program; the old copy survives.
TEST_F(SkiffOverFtp, AFileSizeLimitIsAMessageNotASignal) {
    root_.Write("big.bin", skifftest::RandomBytes(1024 * 1024, 3));
    local_.Write("big.bin", kOldCopy);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    auto handler = std::signal(SIGXFSZ, SIG_DFL);  // as a freshly started program has it
    rlimit small = saved;
    small.rlim_cur = 256 * 1024;
    setrlimit(RLIMIT_FSIZE, &small);
    int code = RunSkiff(Download("/big.bin", "1"));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, handler);
    EXPECT_EQ(code, 1);
    EXPECT_EQ(prompt_.Messages(),
              std::vector<std::string>{"downloading file--Couldn't write to file"});
    EXPECT_EQ(local_.Read("big.bin"), kOldCopy);
    EXPECT_FALSE(fs::exists(LogPath()));
}

}  // namespace
