// What the desktop tells the programs, from a prepared XDG tree and a fake
// xdg-user-dir: the default program for a file, the default download
// folder, and the command-word splitting that turns a program's command (or
// a typed "Open With" text) into an argument vector without a shell.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <optional>

#include "platform/command_words.h"
#include "platform/desktop_default_app.h"
#include "platform/launcher.h"
#include "platform/paths.h"
#include "temp_dir.h"

namespace {

class Desktop : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* v : {"PATH", "HOME", "XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_HOME",
                              "XDG_DATA_DIRS", "XDG_CURRENT_DESKTOP", "XDG_DOWNLOAD_DIR"}) {
            const char* old = std::getenv(v);
            saved_.emplace_back(v, old ? std::optional<std::string>(old) : std::nullopt);
            unsetenv(v);
        }
        setenv("PATH", dir_.File("bin").c_str(), 1);
        setenv("HOME", dir_.File("home").c_str(), 1);
        setenv("XDG_CONFIG_HOME", dir_.File("config").c_str(), 1);
        setenv("XDG_CONFIG_DIRS", dir_.File("etc").c_str(), 1);
        setenv("XDG_DATA_HOME", dir_.File("home").c_str(), 1);
        setenv("XDG_DATA_DIRS", dir_.File("usr").c_str(), 1);
        dir_.Write(
            "usr/mime/globs2",
            "# comment\n50:text/plain:*.txt\n50:application/zip:*.zip\n"
            "50:application/x-compressed-tar:*.tar.gz\n50:application/gzip:*.gz\n"
            "50:text/x-makefile:makefile\n50:text/x-c:*.C:cs\ngarbage line without fields\n");
        dir_.Write("usr/applications/editor.desktop",
                   "[Desktop Entry]\nType=Application\nName=Editor\nExec=editor --new %F\n");
        dir_.Write("usr/applications/archiver.desktop",
                   "[Desktop Entry]\nExec=\"/opt/My Tools/arc\" --open=%u --title=%c\n");
        dir_.Write("usr/applications/termonly.desktop",
                   "[Desktop Entry]\nExec=vi %F\nTerminal=true\n");
        dir_.Write("usr/applications/gone.desktop", "[Desktop Entry]\nExec=gone %f\nHidden=true\n");
        dir_.Write("usr/applications/mimeinfo.cache",
                   "[MIME Cache]\ntext/plain=termonly.desktop;editor.desktop;\n"
                   "application/zip=archiver.desktop;\n");
    }
    void TearDown() override {
        for (auto& [name, value] : saved_) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
    }
    void Helper(const std::string& body) {
        ::chmod(dir_.Write("bin/xdg-user-dir", "#!/bin/sh\n" + body + "\n").c_str(), 0755);
    }
    testsupport::TempDir dir_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST_F(Desktop, MimeTypeByGlobWeightLengthAndCase) {
    EXPECT_EQ(platform::MimeTypeForFileName("/d/notes.TXT"), "text/plain");
    EXPECT_EQ(platform::MimeTypeForFileName("pkg.tar.gz"), "application/x-compressed-tar");
    EXPECT_EQ(platform::MimeTypeForFileName("Makefile"), "text/x-makefile");
    EXPECT_EQ(platform::MimeTypeForFileName("prog.C"), "text/x-c");
    EXPECT_EQ(platform::MimeTypeForFileName("prog.c"), "");  // a case-sensitive pattern
}

TEST_F(Desktop, DefaultsComeFromMimeappsListsInOrderThenTheCache) {
    // Only the cache: the terminal program is passed over.
    EXPECT_EQ(platform::DefaultOpenCommand("/dl/notes.txt"), "editor --new");
    EXPECT_EQ(platform::DefaultOpenCommand("/dl/a.zip"), "\"/opt/My Tools/arc\" --open= --title=");
    EXPECT_EQ(platform::DefaultOpenCommand("/dl/unknown.xyz"), "");

    dir_.Write("usr/applications/viewer.desktop", "[Desktop Entry]\nExec=viewer\n");
    dir_.Write("etc/mimeapps.list", "[Default Applications]\ntext/plain=viewer.desktop\n");
    EXPECT_EQ(platform::DefaultOpenCommand("/dl/notes.txt"), "viewer");
    // The user's own list comes first; a missing or hidden program is skipped.
    dir_.Write("config/mimeapps.list",
               "[Added Associations]\ntext/plain=archiver.desktop\n"
               "[Default Applications]\ntext/plain=missing.desktop;gone.desktop;editor.desktop;\n");
    EXPECT_EQ(platform::DefaultOpenCommand("/dl/notes.txt"), "editor --new");
}

// xdg-user-dir answers $HOME for a folder never set: that answer counts as none.
TEST_F(Desktop, DownloadFolderFollowsXdgUserDirThenTheVariable) {
    struct Case {
        const char* helper;            // the fake xdg-user-dir's body; nullptr: none
        const char* downloadVariable;  // nullptr: unset
        const char* expected;          // "~" stands for $HOME
    } const cases[] = {
        {"echo /data/Téléchargements", nullptr, "/data/Téléchargements/Internet Ambit"},
        {"echo /data/dl/", "/elsewhere", "/data/dl/Internet Ambit"},
        {"echo \"$HOME\"", "/from/env", "/from/env/Internet Ambit"},
        {"echo \"$HOME/\"", nullptr, "~/Downloads/Internet Ambit"},
        {"echo /data/dl; exit 1", nullptr, "~/Downloads/Internet Ambit"},
        {"echo Downloads", nullptr, "~/Downloads/Internet Ambit"},
        {nullptr, "/from/env", "/from/env/Internet Ambit"},
        {nullptr, "", "~/Downloads/Internet Ambit"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.helper ? c.helper : "no helper");
        std::remove(dir_.File("bin/xdg-user-dir").c_str());
        if (c.helper) Helper(c.helper);
        if (c.downloadVariable)
            setenv("XDG_DOWNLOAD_DIR", c.downloadVariable, 1);
        else
            unsetenv("XDG_DOWNLOAD_DIR");
        std::string expected = c.expected;
        if (expected.starts_with('~')) expected = dir_.File("home") + expected.substr(1);
        EXPECT_EQ(platform::DefaultDownloadDirectory(), expected);
    }
}

// A helper that never answers or never stops talking must not hang start-up.
TEST_F(Desktop, HelperOutputIsBoundedInTimeAndSize) {
    Helper("i=0; while [ $i -lt 200 ]; do echo 0123456789; i=$((i+1)); done");
    auto out = platform::ProgramOutput({"xdg-user-dir"}, 50, 5000);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->size(), 50u);
    Helper("exec /bin/sleep 30");
    EXPECT_EQ(platform::ProgramOutput({"xdg-user-dir", "DOWNLOAD"}, 100, 200), std::nullopt);
}

TEST(CommandWords, SplitsWithoutAShellAndRoundTrips) {
    struct Case {
        std::string text;
        std::vector<std::string> words;
    } const cases[] = {
        {"  editor   --new\t-x ", {"editor", "--new", "-x"}},
        {"\"/opt/My Tools/arc\" --flag", {"/opt/My Tools/arc", "--flag"}},
        {"'single quoted' \"a\\\"b\"", {"single quoted", "a\"b"}},
        {"prog; rm -rf ~ $(id) `id` | cat",
         {"prog;", "rm", "-rf", "~", "$(id)", "`id`", "|", "cat"}},
        {"back\\ slash \"\\\\\"", {"back slash", "\\"}},
        {"\"\" empty", {"", "empty"}},
        {"\"unterminated quote", {"unterminated quote"}},
        {"", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(platform::SplitCommandWords(c.text), c.words) << c.text;
        EXPECT_EQ(platform::SplitCommandWords(platform::JoinCommandWords(c.words)), c.words)
            << c.text;
    }
}

}  // namespace
