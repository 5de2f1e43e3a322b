// Where a catalog item's download is written, for download directories a
// map server could send: the file must stay below the default download
// directory unless the directory is plainly somewhere else, which the
// caller then shows the user before writing.
#include "catalog/download_target.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* downloadDir;
    const char* path;
    const char* expected;
    bool inside;
    bool climbed;
};

constexpr const char* kDefault = "/home/u/Downloads/Internet Ambit";

const Case kCases[] = {
    {"[default]", "/pub/x/setup.zip", "/home/u/Downloads/Internet Ambit/setup.zip", true, false},
    // Data files written on other systems separate with "\".
    {"[default]\\games", "/pub/x/setup.zip", "/home/u/Downloads/Internet Ambit/games/setup.zip",
     true, false},
    {"[default]/a/./b/../c", "/f.txt", "/home/u/Downloads/Internet Ambit/a/c/f.txt", true, false},
    {"games", "/f.txt", "/home/u/Downloads/Internet Ambit/games/f.txt", true, false},
    // Climbing out is stopped at the default directory.
    {"[default]/../../.config/autostart", "/pub/evil.desktop",
     "/home/u/Downloads/Internet Ambit/.config/autostart/evil.desktop", true, true},
    {"[default]\\..\\..", "/pub/.bashrc", "/home/u/Downloads/Internet Ambit/.bashrc", true, true},
    // A file name that is no file name leaves no file inside.
    {"[default]", "/pub/..", "/home/u/Downloads/Internet Ambit", false, true},
    {"[default]", "/pub/", "/home/u/Downloads/Internet Ambit", false, false},
    // Absolute directories stay where they are, and say so.
    {"/home/u/.config/autostart", "/x.desktop", "/home/u/.config/autostart/x.desktop", false,
     false},
    {"/home/u/Downloads/Internet Ambit/../../.ssh", "/authorized_keys",
     "/home/u/.ssh/authorized_keys", false, false},
    {"/home/u/Downloads/Internet Ambit/tools", "/t.zip",
     "/home/u/Downloads/Internet Ambit/tools/t.zip", true, false},
};

TEST(DownloadTarget, StaysBelowTheDefaultDirectoryOrSaysItDoesNot) {
    const catalog::DownloadTargetResolver resolver(kDefault);
    for (const Case& c : kCases) {
        catalog::CEntry e;
        e.Name = "n";
        e.DownloadDir = c.downloadDir;
        e.Path = c.path;
        catalog::DownloadTarget t = resolver.Resolve(e);
        EXPECT_EQ(t.path, c.expected) << c.downloadDir << " + " << c.path;
        EXPECT_EQ(t.insideDefault, c.inside) << c.downloadDir << " + " << c.path;
        EXPECT_EQ(t.climbed, c.climbed) << c.downloadDir << " + " << c.path;
        // The checker flags exactly what does not plainly stay inside.
        const bool absolute = c.downloadDir[0] == '/';
        EXPECT_EQ(catalog::DownloadTargetResolver::Problem(e).empty(),
                  c.inside && !c.climbed && !absolute)
            << c.downloadDir;
    }
}

}  // namespace
