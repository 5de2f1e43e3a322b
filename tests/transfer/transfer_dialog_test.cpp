// skiff's transfer dialog run in process, offscreen, against real local FTP
// servers: pyftpdlib for real transfers, the scripted server where a reply
// must be exact (a listing without a size, a transfer that stalls so Abort
// lands in the middle).
#include "transfer/transfer_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <filesystem>

#include "skiff_environment.h"
#include "store/registry_string.h"
#include "store/scramble.h"
#include "transfer/what_to_do_dialog.h"

namespace {

using skifftest::SkiffOffline;
using skifftest::SkiffOverFtp;
using skifftest::SkiffScripted;
using transfer::TransferDialog;
using Argv = std::vector<std::string>;
namespace fs = std::filesystem;

// Clicks a button of the WhatToDoDialog once it is the active modal window.
std::function<void()> AnswerQuestion(std::function<void(transfer::WhatToDoDialog&)> act) {
    return [act] {
        if (auto* d = qobject_cast<transfer::WhatToDoDialog*>(QApplication::activeModalWidget()))
            act(*d);
    };
}

// Downloads arrive whole, are started and logged; uploads are neither.
TEST_F(SkiffOverFtp, TransfersArriveWholeInBothModesAndOnlyDownloadsAreLogged) {
    const std::string content = skifftest::RandomBytes(3 * 1024 * 1024 + 517, 1);
    root_.Write("pub/data.bin", content);
    const std::string local = local_.File("data.bin");
    ASSERT_EQ(RunSkiff(Download("/pub/data.bin", "1")), 0);
    EXPECT_EQ(local_.Read("data.bin"), content);
    EXPECT_EQ(dialog_->Text(TransferDialog::kPercent), "100%");
    EXPECT_EQ(dialog_->IconStep(), 13);
    EXPECT_TRUE(dialog_->Text(TransferDialog::kBytes)
                    .starts_with("Received 3072 of 3072 K \nAverage Transfer Rate: "));
    EXPECT_EQ(dialog_->Text(TransferDialog::kCaption), "Transferring: data.bin");
    auto log = LogEntries();
    ASSERT_EQ(log.size(), 1u);
    ASSERT_EQ(log[0].size(), 11u);
    EXPECT_EQ(store::Unscramble(log[0][9]), server_.Password());
    EXPECT_EQ(log[0], (Argv{"data.bin", "127.0.0.1", local, "Exec", log[0][4],
                            std::to_string(content.size()), "NONE", "/pub/data.bin", server_.User(),
                            log[0][9], "0.00"}));

    root_.Write("readme.txt", "first line\r\n\r\n  indented\tand tabbed\r\nlast\r\n");
    ASSERT_EQ(RunSkiff(Download("/readme.txt", "0")), 0);
    EXPECT_EQ(local_.Read("readme.txt"), "first line\n\n  indented\tand tabbed\nlast\n");
    EXPECT_EQ(LogEntries().size(), 2u);

    const std::string binary = skifftest::RandomBytes(1024 * 1024 + 3, 2);
    const std::string text = "one\ntwo\n\nthree\n";
    for (const auto& [mode, sent] : {std::pair{"3", binary}, std::pair{"2", text}}) {
        const std::string path = local_.Write("up" + std::string(mode), sent);
        ASSERT_EQ(RunSkiff(Argument("127.0.0.1", "/in" + std::string(mode), server_.User(),
                                    server_.Password(), path, mode)),
                  0);
        // pyftpdlib stores an ASCII upload with its own line ends.
        std::string stored = root_.Read("in" + std::string(mode));
        if (sent == text) std::erase(stored, '\r');
        EXPECT_TRUE(stored == sent) << "mode " << mode;
    }
    EXPECT_EQ(launcher_.Started(), (std::vector<Argv>{{local}, {local_.File("readme.txt")}}));
    EXPECT_TRUE(prompt_.Shown().empty());
    EXPECT_EQ(LogEntries().size(), 2u);
}

// A failure is a message and exit code 1: nothing arrives, nothing runs, nothing is logged.
TEST_F(SkiffOverFtp, FailuresAreReportedWithExitCode1AndNotLogged) {
    ASSERT_EQ(RunSkiff(Argument("127.0.0.1", "/x.bin", server_.User(), server_.Password(),
                                local_.File("none.bin"), "3")),
              1);
    EXPECT_EQ(prompt_.Messages(),
              std::vector<std::string>{"opening local file for upload--File or path not found"});
    EXPECT_FALSE(fs::exists(root_.File("x.bin")));

    root_.Write("data.bin", "content");
    ASSERT_EQ(RunSkiff(Argument("127.0.0.1", "/data.bin", server_.User(), "not the password",
                                local_.File("data.bin"), "1")),
              1);
    ASSERT_EQ(prompt_.Messages().size(), 2u);
    EXPECT_TRUE(prompt_.Messages()[1].starts_with("login attempt--530")) << prompt_.Messages()[1];
    EXPECT_FALSE(fs::exists(local_.File("data.bin")));
    EXPECT_TRUE(launcher_.Started().empty());
    EXPECT_FALSE(fs::exists(LogPath()));
}

TEST_F(SkiffOverFtp, AskedUnzipExtractsAndOffersTheStoredAssociation) {
    store::RegistryString(store::kLocalMachine, "SOFTWARE\\Classes\\.zip", "").Set("ZipArchive");
    store::RegistryString(store::kLocalMachine,
                          "SOFTWARE\\Classes\\ZipArchive\\shell\\open\\command", "")
        .Set("/usr/bin/unpacker %1");
    fs::copy_file(AMBIT_TEST_DATA_DIR "/tool.zip", root_.File("tool.zip"));
    std::string suggestion;
    QTimer answer;
    answer.setInterval(2);
    QObject::connect(&answer, &QTimer::timeout, AnswerQuestion([&](transfer::WhatToDoDialog& d) {
        suggestion = d.OpenWith();
        d.Button(transfer::WhatToDoDialog::kUnzip)->click();
    }));
    answer.start();
    ASSERT_EQ(RunSkiff(Download("/tool.zip", "1", "N")), 0);
    EXPECT_EQ(suggestion, "/usr/bin/unpacker ");
    EXPECT_EQ(local_.Read("tool/readme.txt"), "hello");
    EXPECT_EQ(launcher_.Started(), (std::vector<Argv>{{"xdg-open", local_.Path()}}));
    auto log = LogEntries();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0][3], "UnZip");
    EXPECT_EQ(log[0][6], "/usr/bin/unpacker ");
}

// What skiff sends for the download of path, then the given lines.
Argv Transcript(const std::string& path, const Argv& end) {
    const std::string port = "PORT 127,0,0,1,<port>\r\n";
    Argv t{"USER u\r\n", "PASS p\r\n",           port, "LIST " + path + "\r\n", "TYPE I\r\n",
           port,         "RETR " + path + "\r\n"};
    t.insert(t.end(), end.begin(), end.end());
    return t;
}

// A listing that is not a Unix long listing, or a LIST the server refuses,
// gives no size: the texts say "Unknown" and "Calculating", the percentage
// and icon stay at 0, and the file still replaces the earlier copy.
class SizeUnknown : public SkiffScripted, public ::testing::WithParamInterface<bool> {};

TEST_P(SizeUnknown, TextsSayUnknownAndTheFileArrives) {
    auto& s = server_.LoginSteps();
    s.Expect("PORT").Send("200 ok\r\n").Expect("LIST");
    if (GetParam()) {
        s.Send("550 not a directory\r\n");
    } else {
        s.Send("150 here\r\n").DataConnect();
        s.DataSend("12-06-26  08:15PM               5000 data.bin\r\n").DataClose();
        s.Send("226 done\r\n");
    }
    s.Expect("TYPE").Send("200 binary\r\n").Expect("PORT").Send("200 ok\r\n");
    s.Expect("RETR").Send("150 sending\r\n").DataConnect().DataSendBytes(5000).DataClose();
    s.Send("226 done\r\n");
    Start();
    local_.Write("data.bin", "the earlier copy");
    ASSERT_EQ(Download("data.bin"), 0);
    EXPECT_TRUE(prompt_.Shown().empty()) << prompt_.Shown()[0];
    EXPECT_EQ(local_.Read("data.bin"), testsupport::ScriptedFtpServer::PatternBytes(5000));
    EXPECT_FALSE(fs::exists(local_.File("data.bin.part")));
    EXPECT_EQ(dialog_->Text(TransferDialog::kBytes), "Received 4 of Unknown ");
    EXPECT_EQ(dialog_->Text(TransferDialog::kTimeLeft), "Estimated Time Left: Calculating");
    EXPECT_EQ(dialog_->Text(TransferDialog::kPercent), "0%");
    EXPECT_EQ(dialog_->IconStep(), 0);
    auto log = LogEntries();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0][5], "0");
    EXPECT_EQ(server_.Transcript(), Transcript("/data.bin", {"EOF"}));
}

INSTANTIATE_TEST_SUITE_P(Listing, SizeUnknown, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Refused" : "NotUnix"; });

// Abort while the data is still coming: the earlier copy stays, the partial
// data beside it, and there is no action and no log entry.
TEST_F(SkiffScripted, AbortInTheMiddleKeepsThePartialFileAndLogsNothing) {
    ListThenRetr("-rw-r--r--   1 owner group   1000000 Dec  6 20:00 big.bin\r\n")
        .DataSendBytes(100000)
        .WaitEof();
    Start();
    local_.Write("big.bin", "the earlier copy");
    std::int64_t seenTotal = 0;
    std::string seenText;
    int code = RunSkiff(Argument("127.0.0.1", "/big.bin", "u", "p", local_.File("big.bin"), "1"),
                        [&](TransferDialog& d) {
                            // The byte text changes only on a progress timer tick, so
                            // seeing it proves the timer runs while Get waits.
                            if (d.BytesDone() >= 100000 &&
                                d.Text(TransferDialog::kBytes).starts_with("Received") &&
                                d.AbortButton()->isVisible()) {
                                seenTotal = d.TotalSize();
                                seenText = d.Text(TransferDialog::kBytes);
                                d.AbortButton()->click();
                            }
                        });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(seenTotal, 1000000);
    EXPECT_TRUE(seenText.starts_with("Received 97 of 976 K \nAverage Transfer Rate: ")) << seenText;
    EXPECT_EQ(local_.Read("big.bin"), "the earlier copy");
    EXPECT_EQ(local_.Read("big.bin.part"), testsupport::ScriptedFtpServer::PatternBytes(100000));
    EXPECT_TRUE(prompt_.Shown().empty());
    EXPECT_TRUE(launcher_.Started().empty());
    EXPECT_FALSE(fs::exists(LogPath()));
    EXPECT_TRUE(hardExits_.empty());  // ended by unwinding, not by a hard exit
    EXPECT_EQ(server_.Transcript(), Transcript("/big.bin", {"\xff\xf4"
                                                            "ABOR\r\n",
                                                            "QUIT\r\n", "EOF"}));
}

TEST_F(SkiffOffline, AbortBeforeTheConnectionShowsNoConAndEnds) {
    SetEnv("AMBIT_NET_TIMEOUT", "1");  // lets the in-process run unwind after the hard exit
    int code = RunSkiff(Argument("127.0.0.1", "/f.bin", "u", "p", local_.File("f.bin"), "1"),
                        [](TransferDialog& d) {
                            if (d.isVisible()) d.AbortButton()->click();
                        });
    EXPECT_EQ(code, 0);
    EXPECT_EQ(prompt_.Messages(), std::vector<std::string>{"No Con"});
    EXPECT_EQ(hardExits_, std::vector<int>{0});
    EXPECT_FALSE(fs::exists(LogPath()));
    EXPECT_TRUE(launcher_.Started().empty());
}

// Cancel in the question, a missing or oversized argument and an order
// without a purchase module all end before the network.
TEST_F(SkiffOffline, CancelAndStartUpRefusalsEndBeforeTheNetwork) {
    QTimer answer;
    answer.setInterval(2);
    QObject::connect(&answer, &QTimer::timeout, AnswerQuestion([](transfer::WhatToDoDialog& d) {
        d.CancelButton()->click();
    }));
    answer.start();
    EXPECT_EQ(RunSkiff(Argument("127.0.0.1", "/f.bin", "u", "p", local_.File("f.bin"), "1", "N")),
              0);
    answer.stop();
    EXPECT_FALSE(fs::exists(local_.File("f.bin")));
    EXPECT_TRUE(prompt_.Messages().empty());

    EXPECT_EQ(RunSkiff(""), 0);
    EXPECT_EQ(
        prompt_.Messages(),
        std::vector<std::string>{
            "This is not a standalone application, it is meant to be spawned from Ambit.exe"});
    // A password field longer than any scrambled password: a message and
    // exit code 1, not the misuse exit.
    EXPECT_EQ(
        RunSkiff("127.0.0.1$$/f$$u$$" + std::string(600, 'A') + "$$" + local_.File("f") + "$$1$$"),
        1);
    EXPECT_EQ(RunSkiff("FINFO$$" + local_.File("order") + "$$"), 1);
    ASSERT_EQ(prompt_.Messages().size(), 3u);
    EXPECT_FALSE(prompt_.Messages()[1].empty());
    EXPECT_FALSE(silent_.AnyoneConnected());
    EXPECT_FALSE(fs::exists(LogPath()));
}

}  // namespace
