// The download log as the Transfer Log reads it and acts on it: records of
// every shape the file can hold (also damaged ones), the orders of the
// header clicks, and the file actions with what they start or say.
#include "session/transfer_log.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/string_array_file.h"
#include "session_test_env.h"
#include "store/scramble.h"
#include "transfer/transfer_command.h"

namespace {

using session::TransferLog;
using session::TransferLogRecord;

std::string Record(const std::string& name, const std::string& local, const std::string& action,
                   const std::string& date, const std::string& size,
                   const std::string& openWith = "NONE", const std::string& price = "0.00") {
    return name + "$$127.0.0.1$$" + local + "$$" + action + "$$" + date + "$$" + size + "$$" +
           openWith + "$$/pub/" + name + "$$ftp$$" + store::Scramble("me@example.org") + "$$" +
           price + "$$";
}

TEST(TransferLogRecords, EveryShapeIsShownAndOnlyWholeRecordsAreActedOn) {
    struct Case {
        std::string text;
        bool complete;
        std::string localPath, action, openWith, remotePath, price;
    } cases[] = {
        {Record("a.zip", "/d/a.zip", "UnZip", "01/02/03-04:05", "10"), true, "/d/a.zip", "UnZip",
         "NONE", "/pub/a.zip", "0.00"},
        // An Open With program holding "$$" keeps every later field in place.
        {Record("b.txt", "/d/b.txt", "OpenW", "01/02/03-04:05", "10", "/opt/x$$y/view --a$$b"),
         true, "/d/b.txt", "OpenW", "/opt/x$$y/view --a$$b", "/pub/b.txt", "0.00"},
        // Cut short, or a word where the action belongs: shown, not acted on.
        {"c.txt$$host$$/d/c.txt$$View$$", false, "/d/c.txt", "View", "", "", ""},
        {"c.txt$$host$$/d/c.txt$$/d/other$$x$$1$$NONE$$/p$$u$$p$$0.00$$", false, "/d/c.txt",
         "/d/other", "NONE", "/p", "0.00"},
        {"", false, "", "", "", "", ""},
    };
    for (const Case& c : cases) {
        TransferLogRecord r = TransferLog::ParseRecord(c.text);
        EXPECT_EQ(r.complete, c.complete) << c.text;
        EXPECT_EQ(r.localPath, c.localPath) << c.text;
        EXPECT_EQ(r.action, c.action) << c.text;
        EXPECT_EQ(r.openWith, c.openWith) << c.text;
        EXPECT_EQ(r.remotePath, c.remotePath) << c.text;
        EXPECT_EQ(r.price, c.price) << c.text;
    }
}

TEST(TransferLogRecords, HeaderClicksOrderTheRows) {
    std::vector<TransferLogRecord> records;
    for (const std::string& text : {
             Record("beta.zip", "/d/1", "Exec", "12/31/99-23:59", "300", "NONE", "12.50"),
             Record("Alpha.zip", "/d/2", "Exec", "01/01/00-00:00", "20", "NONE", "0.00"),
             Record("gamma.zip", "/d/3", "Exec", "06/15/69-12:00", "1000", "NONE", "12.99"),
             Record("Émile.txt", "/d/4", "Exec", "03/04/70-08:30", "5", "NONE", "3.00"),
             Record("delta.zip", "/d/5", "Exec", "garbage", "notanumber"),
         })
        records.push_back(TransferLog::ParseRecord(text));
    auto order = [&](int column) {
        TransferLog::Sort(records, column);
        std::string out;
        for (const auto& r : records) out += r.localPath.substr(3) + " ";
        return out;
    };
    struct Case {
        int column;
        const char* expected;
    } cases[] = {
        {TransferLog::kName, "2 1 5 3 4 "},  // without regard to case, letter by letter
        // Newest first; 2069 is after 2000, 1970 before 1999; no date last.
        {TransferLog::kDate, "3 2 1 4 5 "},
        {TransferLog::kSize, "3 1 2 4 5 "},
        {TransferLog::kPrice, "3 1 4 2 5 "},  // 12.50 and 12.99 tie, and stay in order
        {TransferLog::kAddress, "3 1 4 2 5 "},
    };
    for (const Case& c : cases) EXPECT_EQ(order(c.column), c.expected) << c.column;
}

class TransferLogActions : public ::testing::Test {
protected:
    TransferLogActions() : skiff_(env_.DataDir()), log_(skiff_) {}

    // What skiff was started with, read by skiff's own parser.
    transfer::TransferCommand Started() {
        EXPECT_FALSE(env_.launcher.Started().empty());
        if (env_.launcher.Started().empty()) return {};
        const auto& argv = env_.launcher.Started().back();
        EXPECT_EQ(argv.size(), 2u);
        return transfer::ParseTransferCommand(argv.back());
    }

    sessiontest::SessionTestEnv env_;
    session::SkiffStarter skiff_;
    TransferLog log_;
};

TEST_F(TransferLogActions, EachActionOnAFileThatIsThere) {
    const std::string text = env_.dir.Write("dl/notes.txt", "hello\n");
    const std::string program = env_.dir.Write("dl/tool", "#!/bin/sh\n");
    std::filesystem::permissions(program, std::filesystem::perms(0755));
    struct Case {
        std::string path;
        TransferLog::Action action;
        std::string openWith;
        std::vector<std::string> started;  // empty: nothing
        const char* said;                  // part of the message, or nullptr
    } cases[] = {
        // Trailing blanks of a recorded path do not hide the file.
        {text + "  ", TransferLog::kOpenAsText, "", {"", text}, nullptr},
        {text,
         TransferLog::kOpenWith,
         "\"/opt/My View/v\" -a",
         {"/opt/My View/v", "-a", text},
         nullptr},
        {text, TransferLog::kOpenWith, "", {}, "Please enter an application"},
        {program, TransferLog::kExecute, "", {program}, nullptr},
        {text, TransferLog::kExecute, "", {}, "is not a program"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const size_t started = env_.launcher.Started().size();
        const size_t said = env_.prompt.Messages().size();
        TransferLogRecord r =
            TransferLog::ParseRecord(Record("x", c.path, "Exec", "01/01/26-10:00", "6"));
        log_.Run(r, c.action, c.openWith);
        std::vector<std::string> argv;  // empty: nothing started
        if (env_.launcher.Started().size() > started) argv = env_.launcher.Started().back();
        if (!argv.empty() && !c.started.empty() && c.started[0].empty())
            argv[0] = "";  // the editor found on this machine
        EXPECT_EQ(env_.launcher.Started().size(), started + (c.started.empty() ? 0 : 1));
        EXPECT_EQ(argv, c.started);
        ASSERT_EQ(env_.prompt.Messages().size(), said + (c.said ? 1 : 0));
        if (c.said) {
            EXPECT_NE(env_.prompt.Messages().back().find(c.said), std::string::npos);
        }
    }
}

// A file that has gone is offered again; Yes starts skiff in binary mode
// with the recorded host, paths and user, and no question of its own.
TEST_F(TransferLogActions, AGoneFileIsDownloadedAgainOnYes) {
    const std::string gone = env_.dir.File("dl/gone.zip");
    TransferLogRecord r =
        TransferLog::ParseRecord(Record("gone.zip", gone + " ", "UnZip", "01/01/26-10:00", "6"));
    env_.prompt.Answer(false);
    log_.Run(r, TransferLog::kUnzip, "");
    EXPECT_TRUE(env_.launcher.Started().empty());
    env_.prompt.Answer(true);
    log_.Run(r, TransferLog::kOpenAsText, "");
    ASSERT_EQ(env_.prompt.Questions().size(), 2u);
    EXPECT_EQ(env_.prompt.Questions()[1],
              "This file is not currently on your hard drive. Would you like me to download it "
              "again?");
    transfer::TransferCommand c = Started();
    EXPECT_EQ(c.host, "127.0.0.1");
    EXPECT_EQ(c.remotePath, "/pub/gone.zip");
    EXPECT_EQ(c.user, "ftp");
    EXPECT_EQ(store::Unscramble(c.scrambledPassword), "me@example.org");
    EXPECT_EQ(c.localPath, gone);
    EXPECT_TRUE(c.isDownload && c.isBinary && c.modeKnown);
    EXPECT_EQ(c.askFlag, "");

    // Neither a bought file nor a damaged record starts anything.
    const size_t before = env_.launcher.Started().size();
    TransferLogRecord bought = TransferLog::ParseRecord(
        Record("b.zip", gone, "None", "01/01/26-10:00", "6", "NONE", "4.50"));
    log_.Run(bought, TransferLog::kDownloadAgain, "");
    TransferLogRecord damaged = TransferLog::ParseRecord("x$$h$$" + gone + "$$");
    log_.Run(damaged, TransferLog::kDownloadAgain, "");
    EXPECT_EQ(env_.launcher.Started().size(), before);
    EXPECT_EQ(env_.prompt.Messages().size(), 2u);
}

TEST(TransferLogFile, AMissingLogIsEmptyAndADamagedOneSaysWhy) {
    testsupport::TempDir dir;
    std::string error;
    EXPECT_TRUE(TransferLog::Read(dir.File("none.log"), &error).empty());
    EXPECT_EQ(error, "");
    dir.Write("bad.log", "AMBSTRARRAY1\x05");
    EXPECT_TRUE(TransferLog::Read(dir.File("bad.log"), &error).empty());
    EXPECT_NE(error, "");
    ASSERT_TRUE(platform::WriteStringArrayFile(
        dir.File("ok.log"), {Record("a", "/d/a", "Exec", "01/01/26-10:00", "1"), "junk"}));
    auto records = TransferLog::Read(dir.File("ok.log"), &error);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_TRUE(records[0].complete);
    EXPECT_FALSE(records[1].complete);
}

}  // namespace
