// What skiff does to the local disk when the transfer or the local path is
// not what it should be: a complete copy already there survives a failed or
// aborted download, nothing is written through a link, a FIFO never blocks,
// a folder is never uploaded, and a file-size limit is a message.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>

#include "skiff_environment.h"
#include "transfer/transfer_dialog.h"

namespace {

using skifftest::SkiffOffline;
using skifftest::SkiffOverFtp;
using skifftest::SkiffScripted;
using testsupport::ScriptedFtpServer;
namespace fs = std::filesystem;

constexpr const char* kOldCopy = "the complete copy from last week";

// Local hazards are refused before anyone is asked: the port never answers.
struct RefusalCase {
    const char* what;
    std::function<void(const testsupport::TempDir&)> plant;  // prepares local_/"f.bin"
    const char* mode;                                        // "1" download, "3" upload
    const char* message;                                     // the start of the refusal
};

TEST_F(SkiffOffline, OnlyRegularFilesAreWrittenOrSent) {
    const RefusalCase cases[] = {
        {"a link at the target",
         [](const testsupport::TempDir& d) {
             d.Write("victim", "precious");
             fs::create_symlink(d.File("victim"), d.File("f.bin"));
         },
         "1", "Cannot download to "},
        {"a link at the part file",
         [](const testsupport::TempDir& d) {
             d.Write("victim", "precious");
             fs::create_symlink(d.File("victim"), d.File("f.bin.part"));
         },
         "1", "Cannot download to "},
        {"a FIFO at the target",
         [](const testsupport::TempDir& d) {
             ASSERT_EQ(::mkfifo(d.File("f.bin").c_str(), 0600), 0);
         },
         "1", "Cannot download to "},
        {"a folder at the target",
         [](const testsupport::TempDir& d) { fs::create_directory(d.File("f.bin")); }, "1",
         "Cannot download to "},
        {"a folder to upload",
         [](const testsupport::TempDir& d) { fs::create_directory(d.File("f.bin")); }, "3",
         "Cannot upload "},
        {"a FIFO to upload",
         [](const testsupport::TempDir& d) {
             ASSERT_EQ(::mkfifo(d.File("f.bin").c_str(), 0600), 0);
         },
         "3", "Cannot upload "},
    };
    for (const RefusalCase& c : cases) {
        SCOPED_TRACE(c.what);
        for (const char* name : {"f.bin", "f.bin.part", "victim"})
            fs::remove_all(local_.File(name));
        c.plant(local_);
        size_t shown = prompt_.Messages().size();
        EXPECT_EQ(RunSkiff(Argument("127.0.0.1", "/f.bin", "u", "p", local_.File("f.bin"), c.mode)),
                  1);
        ASSERT_EQ(prompt_.Messages().size(), shown + 1);
        EXPECT_TRUE(prompt_.Messages().back().starts_with(c.message)) << prompt_.Messages().back();
        if (fs::exists(local_.File("victim"))) {
            EXPECT_EQ(local_.Read("victim"), "precious");
        }
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

// Some servers refuse LIST on a file; the size only feeds the progress texts.
TEST_F(SkiffScripted, ARefusedListingGoesOnWithTheSizeUnknown) {
    local_.Write("f.bin", kOldCopy);
    auto& s = server_.LoginSteps();
    s.Expect("PORT").Send("200 ok\r\n").Expect("LIST").Send("550 not a directory\r\n");
    s.Expect("TYPE").Send("200 binary\r\n").Expect("PORT").Send("200 ok\r\n");
    s.Expect("RETR").Send("150 sending\r\n").DataConnect().DataSendBytes(3000).DataClose();
    s.Send("226 done\r\n");
    Start();
    EXPECT_EQ(Download("f.bin"), 0);
    EXPECT_TRUE(prompt_.Shown().empty()) << prompt_.Shown()[0];
    EXPECT_EQ(local_.Read("f.bin"), ScriptedFtpServer::PatternBytes(3000));
    EXPECT_FALSE(fs::exists(local_.File("f.bin.part")));
    EXPECT_EQ(dialog_->Text(transfer::TransferDialog::kBytes), "Received 2 of Unknown ");
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
