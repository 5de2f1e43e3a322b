// Help, the About box and the splash: what opens the browser and with
// what, what the user is told when it cannot, and that the manual's pages
// link only to pages that exist.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QPushButton>
#include <QRegularExpression>
#include <filesystem>
#include <set>

#include "session/help_manual.h"
#include "ui/about_box.h"
#include "ui/splash_dialog.h"
#include "ui_test_env.h"

namespace {

namespace fs = std::filesystem;
const std::string kManual = std::string(AMBIT_SOURCE_DIR) + "/docs/manual";

TEST(Help, OpensThePageInTheBrowserOrSaysWhyNot) {
    uitest::UiTestEnv env;
    // No manual anywhere the program looks: the user is told.
    for (const std::string& dir : session::HelpManual::SearchDirectories())
        ASSERT_FALSE(fs::exists(dir + "/keys.html"));
    EXPECT_FALSE(session::HelpManual::Open("keys.html"));
    ASSERT_EQ(env.prompt.Messages().size(), 1u);
    EXPECT_NE(env.prompt.Messages()[0].find("keys.html"), std::string::npos);

    fs::copy(kManual, env.DataDir() + "/docs");
    EXPECT_TRUE(session::HelpManual::Open("keys.html"));
    ASSERT_EQ(env.launcher.Started().size(), 1u);
    EXPECT_EQ(env.launcher.Started()[0],
              (std::vector<std::string>{"xdg-open", env.DataDir() + "/docs/keys.html"}));

    env.launcher.FailWith("xdg-open: not found");
    EXPECT_FALSE(session::HelpManual::Open("index.html"));
    EXPECT_NE(env.prompt.Messages().back().find("xdg-open: not found"), std::string::npos);

    // The About box's web button goes the same way, and says so when it fails.
    ui::AboutBox about;
    about.WebButton()->click();
    EXPECT_NE(env.prompt.Messages().back().find(ui::kWebAddress), std::string::npos);
}

TEST(Help, EveryLinkOfTheManualLeadsToAPage) {
    std::set<std::string> pages;
    for (const auto& f : fs::directory_iterator(kManual))
        pages.insert(f.path().filename().string());
    ASSERT_TRUE(pages.count("index.html"));
    ASSERT_TRUE(pages.count("keys.html"));
    QRegularExpression link(QStringLiteral("(?:href|src)=\"([^\"#]+)"));
    for (const std::string& page : pages) {
        auto it = link.globalMatch(QString::fromStdString(uitest::ReadAll(kManual + "/" + page)));
        while (it.hasNext()) {
            std::string target = it.next().captured(1).toStdString();
            EXPECT_TRUE(pages.count(target)) << page << " links to missing " << target;
        }
    }
}

TEST(Splash, EndsItselfOnItsTimer) {
    QElapsedTimer clock;
    clock.start();
    ui::SplashDialog::ShowFor(150);
    // It returned by itself, and not before its time.
    EXPECT_GE(clock.elapsed(), 140);
    EXPECT_LT(clock.elapsed(), 10000);
    ui::SplashDialog::ShowFor(0);  // no splash: returns at once
}

}  // namespace
