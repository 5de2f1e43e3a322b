// The post-transfer actions as argument vectors handed to the launcher (a
// recording one: there is no desktop to open files in), the Unzip action on
// a hostile archive, and the download-log entry.
#include "transfer/post_transfer_action.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "platform/desktop_default_app.h"
#include "skiff_environment.h"
#include "store/registry_key.h"
#include "store/registry_string.h"
#include "temp_dir.h"
#include "transfer/download_log.h"
#include "transfer/file_association.h"

namespace {

using transfer::PostTransferAction;
namespace fs = std::filesystem;

// Records what would be started and said; nothing reaches a desktop.
class Recording : public skifftest::SkiffEnvironment {};

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
        {fs::current_path().string() + "/ls"},
    };
    EXPECT_EQ(launcher_.Started(), expected);
    EXPECT_TRUE(prompt_.Shown().empty());
}

// A program that cannot be started is reported, not silently dropped;
// without the desktop's opener, the warning for an unzipped file's folder
// also names the package that brings it. The default action of a plain
// download stays quiet when the file is no program.
TEST_F(Recording, AProgramThatCannotStartIsReported) {
    launcher_.FailWith("Could not find the program \"viewr\".");
    PostTransferAction::Run(transfer::kActionOpenWith, "/home/u/dl/a.txt", "viewr");
    PostTransferAction::Run(transfer::kActionExecute, "/home/u/dl/a.txt", "");
    EXPECT_EQ(prompt_.Warnings(),
              std::vector<std::string>{"Could not find the program \"viewr\"."});

    testsupport::TempDir dir;
    const std::string savedPath = std::getenv("PATH") ? std::getenv("PATH") : "";
    setenv("PATH", dir.Path().c_str(), 1);
    launcher_.FailWith("Could not find the program \"xdg-open\".");
    fs::copy_file(AMBIT_TEST_DATA_DIR "/tool.zip", dir.File("tool.zip"));
    PostTransferAction::Run(transfer::kActionUnzip, dir.File("tool.zip"), "");
    setenv("PATH", savedPath.c_str(), 1);
    ASSERT_EQ(prompt_.Warnings().size(), 2u);
    const std::string& said = prompt_.Warnings()[1];
    EXPECT_TRUE(said.starts_with("Could not open " + dir.Path() + ". Could not find the program"))
        << said;
    EXPECT_NE(said.find("Install the xdg-utils package"), std::string::npos) << said;
}

// The new version's installer arrives without execute permission: it gets
// the owner's before it is started, and anything that keeps it from
// starting is said, since the main program has already quit.
TEST_F(Recording, TheInstallerIsMadeExecutableAndAFailureIsReported) {
    testsupport::TempDir dir;
    const std::string setup = dir.Write("Ambit11.exe", "#!/bin/sh\n");
    fs::permissions(setup, fs::perms(0644));
    fs::create_symlink(setup, dir.File("link.exe"));
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
        const size_t started = launcher_.Started().size(), told = prompt_.Messages().size();
        PostTransferAction::RunInstaller(c.path);
        EXPECT_EQ(launcher_.Started().size() > started, c.started) << c.path;
        EXPECT_EQ(prompt_.Messages().size() > told, c.told) << c.path;
    }
    using fs::perms;
    EXPECT_EQ(fs::status(setup).permissions(), perms(0744));
}

// Extracts beside the file, says what was left out, then opens the folder.
TEST_F(Recording, UnzipOfAHostileArchive) {
    testsupport::TempDir dir;
    fs::create_directories(dir.File("dl"));
    fs::copy_file(AMBIT_TEST_DATA_DIR "/evil.zip", dir.File("dl/evil.zip"));
    PostTransferAction::Run(transfer::kActionUnzip, dir.File("dl/evil.zip"), "");
    EXPECT_EQ(dir.Read("dl/good.txt"), "good");
    EXPECT_FALSE(fs::exists(dir.File("outside.txt")));
    ASSERT_EQ(prompt_.Messages().size(), 1u);
    const std::string& said = prompt_.Messages()[0];
    EXPECT_NE(said.find("1 entry left out"), std::string::npos) << said;
    EXPECT_NE(said.find("../../outside.txt"), std::string::npos) << said;
    // The folder still opens.
    EXPECT_EQ(launcher_.Started(), (std::vector<Argv>{{"xdg-open", dir.File("dl")}}));
}

// Looking up a received file's association only reads the settings file,
// and only the file name's own extension counts.
TEST_F(Recording, LookupsCreateNoKeysAndTakeTheExtensionFromTheName) {
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

// The log holds scrambled passwords: only its owner may read it, even
// under a permissive umask. Plain downloads log "Exec", "NONE" and "0.00";
// here the other values of those columns.
TEST(DownloadLog, EntryHasElevenFieldsInOrderInAPrivateFile) {
    std::tm t{};  // 2026-01-05 09:07 local time
    t.tm_year = 126, t.tm_mday = 5, t.tm_hour = 9, t.tm_min = 7, t.tm_isdst = -1;
    transfer::DownloadLogEntry e{.displayName = "tool.zip",
                                 .host = "ftp.example.org",
                                 .localPath = "/home/u/dl/tool.zip",
                                 .actionCode = transfer::kActionOpenWith,
                                 .when = std::mktime(&t),
                                 .totalSize = 123456,
                                 .openWith = "viewer --x",
                                 .remotePath = "/pub/tool.zip",
                                 .user = "ftp",
                                 .scrambledPassword = "ABCDEFGHIJKLMNOP",
                                 .price = "10.65"};
    EXPECT_EQ(transfer::DownloadLog::Format(e),
              "tool.zip$$ftp.example.org$$/home/u/dl/tool.zip$$OpenW$$01/05/26-09:07$$123456$$"
              "viewer --x$$/pub/tool.zip$$ftp$$ABCDEFGHIJKLMNOP$$10.65$$");
    testsupport::TempDir dir;
    mode_t saved = ::umask(022);
    std::string error;
    for (int i = 0; i < 2; ++i)
        ASSERT_TRUE(transfer::DownloadLog::Append(e, dir.File("system/ambit.log"), &error))
            << error;
    ::umask(saved);
    EXPECT_EQ(fs::status(dir.File("system/ambit.log")).permissions(), fs::perms(0600));
}

}  // namespace
