// The default download folder under every combination of the desktop's
// answers: a configured xdg-user-dir, one that reports the home directory
// for an unset folder, one that fails, none at all, and $XDG_DOWNLOAD_DIR.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <optional>

#include "platform/launcher.h"
#include "platform/paths.h"
#include "temp_dir.h"

namespace {

struct Case {
    const char* name;
    // The fake xdg-user-dir's script body; nullptr: no such program.
    const char* helper;
    const char* downloadVariable;  // nullptr: unset
    const char* expected;          // "~" stands for $HOME
};

class DownloadDirectory : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override {
        for (const char* v : {"PATH", "HOME", "XDG_DOWNLOAD_DIR"}) {
            const char* old = std::getenv(v);
            saved_.emplace_back(v, old ? std::optional<std::string>(old) : std::nullopt);
        }
        setenv("HOME", dir_.File("home").c_str(), 1);
        setenv("PATH", dir_.File("bin").c_str(), 1);
        unsetenv("XDG_DOWNLOAD_DIR");
    }
    void TearDown() override {
        for (const auto& [name, value] : saved_) {
            if (value)
                setenv(name.c_str(), value->c_str(), 1);
            else
                unsetenv(name.c_str());
        }
    }
    void Helper(const std::string& body) {
        std::string path = dir_.Write("bin/xdg-user-dir", "#!/bin/sh\n" + body + "\n");
        ::chmod(path.c_str(), 0755);
    }
    std::string Home() const { return dir_.File("home"); }

    testsupport::TempDir dir_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST_P(DownloadDirectory, FollowsTheDesktop) {
    const Case& c = GetParam();
    if (c.helper) Helper(c.helper);
    if (c.downloadVariable) setenv("XDG_DOWNLOAD_DIR", c.downloadVariable, 1);
    std::string expected = c.expected;
    if (expected.starts_with('~')) expected = Home() + expected.substr(1);
    EXPECT_EQ(platform::DefaultDownloadDirectory(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Desktops, DownloadDirectory,
    ::testing::Values(
        Case{"Configured", "echo /data/Téléchargements", nullptr,
             "/data/Téléchargements/Internet Ambit"},
        Case{"ConfiguredBeatsVariable", "echo /data/dl/", "/elsewhere", "/data/dl/Internet Ambit"},
        Case{"UnsetAnswersHome", "echo \"$HOME\"", "/from/env", "/from/env/Internet Ambit"},
        Case{"UnsetAnswersHomeNoVariable", "echo \"$HOME/\"", nullptr,
             "~/Downloads/Internet Ambit"},
        Case{"HelperFails", "echo /data/dl; exit 1", nullptr, "~/Downloads/Internet Ambit"},
        Case{"RelativeAnswer", "echo Downloads", nullptr, "~/Downloads/Internet Ambit"},
        Case{"NoHelperVariable", nullptr, "/from/env", "/from/env/Internet Ambit"},
        Case{"NoHelperNoVariable", nullptr, nullptr, "~/Downloads/Internet Ambit"},
        Case{"EmptyVariable", nullptr, "", "~/Downloads/Internet Ambit"}),
    [](const auto& info) { return std::string(info.param.name); });

// A helper that never answers must not hang start-up.
TEST_F(DownloadDirectory, HungHelperIsKilledInTime) {
    Helper("exec /bin/sleep 30");
    EXPECT_EQ(platform::ProgramOutput({"xdg-user-dir", "DOWNLOAD"}, 100, 200), std::nullopt);
}

TEST_F(DownloadDirectory, OutputIsBounded) {
    Helper("i=0; while [ $i -lt 200 ]; do echo 0123456789; i=$((i+1)); done");
    auto out = platform::ProgramOutput({"xdg-user-dir"}, 50, 5000);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->size(), 50u);
}

}  // namespace
