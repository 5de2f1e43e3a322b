// The post-transfer actions as argument vectors handed to the launcher (a
// recording one: there is no desktop to open files in), the Unzip action on
// real archives, and the download-log entry with its eleven fields in a
// file only its owner can read.
#include "transfer/post_transfer_action.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "platform/desktop_default_app.h"
#include "platform/launcher.h"
#include "platform/prompt.h"
#include "recording_launcher.h"
#include "scripted_prompt.h"
#include "skiff_environment.h"
#include "store/registry_key.h"
#include "store/registry_string.h"
#include "temp_dir.h"
#include "transfer/download_log.h"
#include "transfer/file_association.h"

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
    PostTransferAction::Run(transfer::kActionOpenWith, file,
                            "\"/opt/My Tools/viewer\" --new-window; reboot");
    PostTransferAction::Run(transfer::kActionOpenWith, file, "   ");  // nothing to start
    PostTransferAction::Run(4711, file, "x");                         // unknown code: nothing
    // A bare name (an empty download directory gives one) must not be
    // looked up in $PATH.
    PostTransferAction::Run(transfer::kActionExecute, "ls", "");

    std::vector<Argv> expected = {
        {file},
        {platform::PlainTextEditor(), file},
        {"/opt/My Tools/viewer", "--new-window;", "reboot", file},
        {std::filesystem::current_path().string() + "/ls"},
    };
    EXPECT_EQ(launcher_.Started(), expected);
    EXPECT_TRUE(scripted_.Shown().empty());
}

// A program that cannot be started is reported, not silently dropped.
TEST_F(Recording, AProgramThatCannotStartIsReported) {
    launcher_.FailWith("Could not find the program \"viewr\".");
    PostTransferAction::Run(transfer::kActionOpenWith, "/home/u/dl/a.txt", "viewr");
    // The default action of every plain download stays quiet when the file is no program.
    PostTransferAction::Run(transfer::kActionExecute, "/home/u/dl/a.txt", "");
    EXPECT_EQ(scripted_.Warnings(),
              std::vector<std::string>{"Could not find the program \"viewr\"."});
}

// Without the desktop's opener, the folder of an unzipped file cannot open:
// the warning names the folder and the package that brings the opener.
TEST_F(Recording, AMissingOpenerSaysWhatToInstall) {
    testsupport::TempDir dir;
    const char* oldPath = std::getenv("PATH");
    const std::string savedPath = oldPath ? oldPath : "";
    setenv("PATH", dir.Path().c_str(), 1);
    launcher_.FailWith("Could not find the program \"xdg-open\".");
    skifftest::MakeZip(dir.File("a.zip"), {{"a.txt", "a"}});
    PostTransferAction::Run(transfer::kActionUnzip, dir.File("a.zip"), "");
    setenv("PATH", savedPath.c_str(), 1);
    ASSERT_EQ(scripted_.Warnings().size(), 1u);
    const std::string& said = scripted_.Warnings()[0];
    EXPECT_EQ(said.rfind("Could not open " + dir.Path() + ". Could not find the program", 0), 0u)
        << said;
    EXPECT_NE(said.find("Install the xdg-utils package"), std::string::npos) << said;
}

// The new version's installer arrives without execute permission: it gets
// the owner's before it is started, and anything that keeps it from
// starting is said, since the main program has already quit.
TEST_F(Recording, TheInstallerIsMadeExecutableAndAFailureIsReported) {
    testsupport::TempDir dir;
    const std::string setup = dir.Write("Ambit11.exe", "#!/bin/sh\n");
    std::filesystem::permissions(setup, std::filesystem::perms(0644));
    std::filesystem::create_symlink(setup, dir.File("link.exe"));
    struct Case {
        std::string path;
        std::string failure;  // what the launcher says, "" to succeed
        bool started, told;
    } cases[] = {
        {setup, "", true, false},
        {setup, "Permission denied", false, true},
        {dir.File("gone.exe"), "", false, true},
        {dir.File("link.exe"), "", false, true},  // a link is not followed
    };
    for (const Case& c : cases) {
        launcher_.FailWith(c.failure);
        const size_t started = launcher_.Started().size(), told = scripted_.Messages().size();
        PostTransferAction::RunInstaller(c.path);
        EXPECT_EQ(launcher_.Started().size() > started, c.started) << c.path;
        EXPECT_EQ(scripted_.Messages().size() > told, c.told) << c.path;
    }
    using std::filesystem::perms;
    EXPECT_EQ(std::filesystem::status(setup).permissions(), perms(0744));
}

// Extracts beside the file, says what was left out, then opens the folder.
TEST_F(Recording, UnzipOfAHostileArchive) {
    testsupport::TempDir dir;
    std::filesystem::create_directories(dir.File("dl"));
    skifftest::MakeZip(dir.File("dl/evil.zip"),
                       {{"../../outside.txt", "bad"}, {"good.txt", "good"}});
    PostTransferAction::Run(transfer::kActionUnzip, dir.File("dl/evil.zip"), "");
    EXPECT_EQ(dir.Read("dl/good.txt"), "good");
    EXPECT_FALSE(std::filesystem::exists(dir.File("outside.txt")));
    ASSERT_EQ(scripted_.Messages().size(), 1u);
    const std::string& said = scripted_.Messages()[0];
    EXPECT_NE(said.find("1 entry left out"), std::string::npos) << said;
    EXPECT_NE(said.find("../../outside.txt"), std::string::npos) << said;
    // The folder still opens.
    EXPECT_EQ(launcher_.Started(), (std::vector<Argv>{{"xdg-open", dir.File("dl")}}));
}

class Associations : public skifftest::SkiffEnvironment {};

// Looking up a received file's association only reads the settings file,
// and only the file name's own extension counts.
TEST_F(Associations, LookupsCreateNoKeysAndTakeTheExtensionFromTheName) {
    const std::string classes = "SOFTWARE\\Classes";
    store::RegistryString(store::kLocalMachine, classes + "\\.zip", "").Set("ZipArchive");
    store::RegistryString(store::kLocalMachine, classes + "\\ZipArchive\\shell\\open\\command", "")
        .Set("/usr/bin/unpacker %1");
    const std::pair<std::string, std::string> cases[] = {
        {"/home/u/dl/tool.zip", "/usr/bin/unpacker "},
        {"/home/u/.local/share/tool", ""},
        {"/home/u/dl/notes.unheardof", ""},
        {"/home/u/dl/archive.tar.gz", ""},
    };
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(
            transfer::FileAssociation::FromRegistry(transfer::FileAssociation::ExtensionOf(path)),
            expected)
            << path;
    EXPECT_EQ(transfer::FileAssociation::ExtensionOf("/home/u/.local/share/tool"), "");
    std::vector<std::string> keys;
    store::RegistryKey parent(store::kLocalMachine, classes);
    for (std::uint32_t i = 0;; ++i) {
        std::string name = parent.EnumSubKey(i);
        if (name.empty()) break;
        keys.push_back(name);
    }
    EXPECT_EQ(keys, (std::vector<std::string>{".zip", "ZipArchive"}));
}

TEST(DownloadLog, EntryHasElevenFieldsInOrderInAPrivateFile) {
    transfer::DownloadLogEntry e;
    e.displayName = "tool.zip";
    e.host = "ftp.example.org";
    e.localPath = "/home/u/dl/tool.zip";
    e.actionCode = transfer::kActionOpenWith;
    e.openWith = "viewer --x";
    e.price = "10.65";
    std::tm t{};  // 2026-01-05 09:07 local time
    t.tm_year = 126, t.tm_mday = 5, t.tm_hour = 9, t.tm_min = 7, t.tm_isdst = -1;
    e.when = std::mktime(&t);
    e.totalSize = 123456;
    e.remotePath = "/pub/tool.zip";
    e.user = "ftp";
    e.scrambledPassword = "ABCDEFGHIJKLMNOP";
    // Runs over FTP log "Exec", "NONE" and "0.00"; here the other values of those columns.
    EXPECT_EQ(transfer::DownloadLog::Format(e),
              "tool.zip$$ftp.example.org$$/home/u/dl/tool.zip$$OpenW$$01/05/26-09:07$$123456$$"
              "viewer --x$$/pub/tool.zip$$ftp$$ABCDEFGHIJKLMNOP$$10.65$$");

    // The log holds scrambled passwords: only its owner may read it, even
    // under a permissive umask.
    testsupport::TempDir dir;
    mode_t saved = ::umask(022);
    std::string error;
    ASSERT_TRUE(transfer::DownloadLog::Append(e, dir.File("system/ambit.log"), &error)) << error;
    ASSERT_TRUE(transfer::DownloadLog::Append(e, dir.File("system/ambit.log"), &error)) << error;
    ::umask(saved);
    struct stat st {};
    ASSERT_EQ(::stat(dir.File("system/ambit.log").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

}  // namespace
