// The desktop's default program for a file, read from a prepared XDG tree,
// and the command-word splitting that turns it (or a typed "Open With"
// text) into an argument vector without a shell.
#include "platform/desktop_default_app.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>

#include "platform/command_words.h"
#include "temp_dir.h"

namespace {

class XdgTree : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* v : {"XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_HOME",
                              "XDG_DATA_DIRS", "XDG_CURRENT_DESKTOP"}) {
            const char* old = std::getenv(v);
            saved_.emplace_back(v, old ? std::optional<std::string>(old) : std::nullopt);
        }
        setenv("XDG_CONFIG_HOME", dir_.File("config").c_str(), 1);
        setenv("XDG_CONFIG_DIRS", dir_.File("etc").c_str(), 1);
        setenv("XDG_DATA_HOME", dir_.File("home").c_str(), 1);
        setenv("XDG_DATA_DIRS", dir_.File("usr").c_str(), 1);
        unsetenv("XDG_CURRENT_DESKTOP");
        dir_.Write("usr/mime/globs2",
                   "# comment\n"
                   "50:text/plain:*.txt\n"
                   "50:application/zip:*.zip\n"
                   "50:application/x-compressed-tar:*.tar.gz\n"
                   "50:application/gzip:*.gz\n"
                   "50:text/x-makefile:makefile\n"
                   "50:text/x-c:*.C:cs\n"
                   "garbage line without fields\n");
        dir_.Write("usr/applications/editor.desktop",
                   "[Desktop Entry]\nType=Application\nName=Editor\nExec=editor --new %F\n");
        dir_.Write("usr/applications/archiver.desktop",
                   "[Desktop Entry]\nExec=\"/opt/My Tools/arc\" --open=%u --title=%c\n");
        dir_.Write("usr/applications/termonly.desktop",
                   "[Desktop Entry]\nExec=vi %F\nTerminal=true\n");
        dir_.Write("usr/applications/gone.desktop", "[Desktop Entry]\nExec=gone %f\nHidden=true\n");
        dir_.Write("usr/applications/mimeinfo.cache",
                   "[MIME "
                   "Cache]\ntext/plain=termonly.desktop;editor.desktop;\napplication/"
                   "zip=archiver.desktop;\n");
    }
    void TearDown() override {
        for (auto& [name, value] : saved_) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
    }
    testsupport::TempDir dir_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST_F(XdgTree, MimeTypeByGlobWeightLengthAndCase) {
    EXPECT_EQ(platform::MimeTypeForFileName("/d/notes.TXT"), "text/plain");
    EXPECT_EQ(platform::MimeTypeForFileName("pkg.tar.gz"),
              "application/x-compressed-tar");  // longer pattern wins
    EXPECT_EQ(platform::MimeTypeForFileName("Makefile"), "text/x-makefile");
    EXPECT_EQ(platform::MimeTypeForFileName("prog.C"), "text/x-c");
    EXPECT_EQ(platform::MimeTypeForFileName("prog.c"), "");  // case-sensitive pattern
}

TEST_F(XdgTree, DefaultsComeFromMimeappsListsInOrderThenTheCache) {
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

TEST(CommandWords, SplitsWithoutAShellAndRoundTrips) {
    struct Case {
        std::string text;
        std::vector<std::string> words;
    } cases[] = {
        {"gimp", {"gimp"}},
        {"  editor   --new\t-x ", {"editor", "--new", "-x"}},
        {"\"/opt/My Tools/arc\" --flag", {"/opt/My Tools/arc", "--flag"}},
        {"'single quoted' \"a\\\"b\"", {"single quoted", "a\"b"}},
        {"prog; rm -rf ~", {"prog;", "rm", "-rf", "~"}},
        {"prog $(id) `id` | cat", {"prog", "$(id)", "`id`", "|", "cat"}},
        {"back\\ slash", {"back slash"}},
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
