// The post-transfer actions as argument vectors handed to the launcher (a
// recording one: there is no desktop to open files in), the Unzip action on
// real archives, and the download-log entry with its eleven fields.
#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "platform/desktop_default_app.h"
#include "platform/launcher.h"
#include "platform/prompt.h"
#include "platform/string_array_file.h"
#include "temp_dir.h"
#include "transfer/download_log.h"
#include "transfer/post_transfer_action.h"

namespace {

using transfer::PostTransferAction;

class Recording : public ::testing::Test {
protected:
    Recording() : previousLauncher_(platform::SetLauncher(&launcher_)), prompt_(&scripted_) {}
    ~Recording() override { platform::SetLauncher(previousLauncher_); }
    platform::RecordingLauncher launcher_;
    platform::Launcher* previousLauncher_;
    platform::ScriptedPrompt scripted_;
    platform::ScopedPrompt prompt_;
};

using Argv = std::vector<std::string>;

TEST_F(Recording, EachActionStartsItsArgumentVector) {
    const std::string file = "/home/u/dl/my \"file\"; rm -rf ~.bin";
    PostTransferAction::Run(transfer::kActionExecute, file, "ignored");
    PostTransferAction::Run(transfer::kActionDownloadOnly, file, "ignored");
    PostTransferAction::Run(transfer::kActionOpenAsText, file, "");
    PostTransferAction::Run(transfer::kActionOpenWith, file, "\"/opt/My Tools/viewer\" --new-window; reboot");
    PostTransferAction::Run(transfer::kActionOpenWith, file, "   ");  // nothing to start
    PostTransferAction::Run(4711, file, "x");                         // unknown code: nothing

    std::vector<Argv> expected = {
        {file},
        {platform::PlainTextEditor(), file},
        {"/opt/My Tools/viewer", "--new-window;", "reboot", file},
    };
    EXPECT_EQ(launcher_.Started(), expected);
    EXPECT_TRUE(scripted_.Shown().empty());
}

TEST_F(Recording, AProgramThatCannotStartFailsSilently) {
    launcher_.FailWith("no such program");
    PostTransferAction::Run(transfer::kActionOpenWith, "/tmp/a.txt", "missing-program");
    EXPECT_TRUE(scripted_.Shown().empty());
}

void MakeZip(const std::string& path, const std::vector<std::pair<std::string, std::string>>& files) {
    archive* a = archive_write_new();
    archive_write_set_format_zip(a);
    ASSERT_EQ(archive_write_open_filename(a, path.c_str()), ARCHIVE_OK);
    for (const auto& [name, data] : files) {
        archive_entry* e = archive_entry_new();
        archive_entry_set_pathname(e, name.c_str());
        archive_entry_set_filetype(e, AE_IFREG);
        archive_entry_set_perm(e, 0644);
        archive_entry_set_size(e, static_cast<la_int64_t>(data.size()));
        archive_write_header(a, e);
        archive_write_data(a, data.data(), data.size());
        archive_entry_free(e);
    }
    archive_write_close(a);
    archive_write_free(a);
}

TEST_F(Recording, UnzipExtractsBesideTheFileThenOpensTheFolder) {
    testsupport::TempDir dir;
    std::string zip = dir.File("dl/tool.zip");
    std::filesystem::create_directories(dir.File("dl"));
    MakeZip(zip, {{"tool/readme.txt", "read me"}, {"setup.sh", "#!/bin/sh\n"}});
    PostTransferAction::Run(transfer::kActionUnzip, zip, "");
    EXPECT_EQ(dir.Read("dl/tool/readme.txt"), "read me");
    EXPECT_EQ(dir.Read("dl/setup.sh"), "#!/bin/sh\n");
    EXPECT_EQ(launcher_.Started(), (std::vector<Argv>{{"xdg-open", dir.File("dl")}}));
    EXPECT_TRUE(scripted_.Shown().empty());
}

TEST_F(Recording, UnzipOfAHostileArchiveSaysWhatWasLeftOut) {
    testsupport::TempDir dir;
    std::filesystem::create_directories(dir.File("dl"));
    MakeZip(dir.File("dl/evil.zip"), {{"../../outside.txt", "bad"}, {"good.txt", "good"}});
    PostTransferAction::Run(transfer::kActionUnzip, dir.File("dl/evil.zip"), "");
    EXPECT_EQ(dir.Read("dl/good.txt"), "good");
    EXPECT_FALSE(std::filesystem::exists(dir.File("outside.txt")));
    ASSERT_EQ(scripted_.Messages().size(), 1u);
    EXPECT_NE(scripted_.Messages()[0].find("1 entry left out"), std::string::npos) << scripted_.Messages()[0];
    EXPECT_NE(scripted_.Messages()[0].find("../../outside.txt"), std::string::npos);
    EXPECT_EQ(launcher_.Started().size(), 1u);  // the folder still opens
}

TEST(DownloadLog, EntryHasElevenFieldsInOrder) {
    transfer::DownloadLogEntry e;
    e.displayName = "tool.zip";
    e.host = "ftp.example.org";
    e.localPath = "/home/u/dl/tool.zip";
    e.actionCode = transfer::kActionUnzip;
    std::tm t{};
    t.tm_year = 126;
    t.tm_mon = 0;
    t.tm_mday = 5;
    t.tm_hour = 9;
    t.tm_min = 7;
    t.tm_isdst = -1;
    e.when = std::mktime(&t);
    e.totalSize = 123456;
    e.remotePath = "/pub/tool.zip";
    e.user = "ftp";
    e.scrambledPassword = "ABCDEFGHIJKLMNOP";
    EXPECT_EQ(transfer::DownloadLog::Format(e),
              "tool.zip$$ftp.example.org$$/home/u/dl/tool.zip$$UnZip$$01/05/26-09:07$$123456$$NONE$$"
              "/pub/tool.zip$$ftp$$ABCDEFGHIJKLMNOP$$0.00$$");
    e.openWith = "viewer --x";
    e.price = "10.65";
    e.actionCode = transfer::kActionOpenWith;
    std::string text = transfer::DownloadLog::Format(e);
    EXPECT_NE(text.find("$$OpenW$$"), std::string::npos);
    EXPECT_NE(text.find("$$viewer --x$$"), std::string::npos);
    EXPECT_TRUE(text.ends_with("$$10.65$$"));
    for (int code : {1000, 1001, 1002, 1003, 1004, 0})
        EXPECT_EQ(PostTransferAction::LogName(code),
                  (std::map<int, std::string>{{1000, "Exec"}, {1001, "None"}, {1002, "UnZip"}, {1003, "View"},
                                              {1004, "OpenW"}, {0, "None"}})[code]);
}

TEST(DownloadLog, AppendKeepsEarlierEntriesAndReportsADamagedLog) {
    testsupport::TempDir dir;
    std::string path = dir.File("system/ambit.log");  // the directory is made on demand
    transfer::DownloadLogEntry e;
    e.displayName = "one";
    std::string error;
    ASSERT_TRUE(transfer::DownloadLog::Append(e, path, &error)) << error;
    e.displayName = "two";
    ASSERT_TRUE(transfer::DownloadLog::Append(e, path, &error)) << error;
    std::vector<std::string> items;
    ASSERT_EQ(platform::ReadStringArrayFile(path, items), platform::StringArrayRead::kOk);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_TRUE(items[0].starts_with("one$$"));
    EXPECT_TRUE(items[1].starts_with("two$$"));
    EXPECT_EQ(std::filesystem::status(path).permissions() & std::filesystem::perms::others_read,
              std::filesystem::perms::none);

    dir.Write("system/ambit.log", "garbage");
    EXPECT_FALSE(transfer::DownloadLog::Append(e, path, &error));
    EXPECT_NE(error.find("download log"), std::string::npos);
    EXPECT_EQ(dir.Read("system/ambit.log"), "garbage");
}

}  // namespace
