// Start-up settings, the download hand-over to skiff and the Options
// dialog's round trip through the registry file, without a main window.
#include "ui/catalog_session.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "catalog/catalog.h"
#include "store/registry_number.h"
#include "store/registry_string.h"
#include "store/scramble.h"
#include "ui/options_dialog.h"
#include "ui/settings_store.h"
#include "ui_test_env.h"

namespace {

namespace fs = std::filesystem;

catalog::CEntry Entry(const std::string& name, const std::string& path) {
    catalog::CEntry e;
    e.Name = name;
    e.Path = path;
    e.Address = "files.example.org";
    e.DownloadDir = "[default]";
    e.Location = "/All/" + name;
    return e;
}

TEST(Settings, DefaultsArePlantedAndEditsComeBack) {
    uitest::UiTestEnv env;
    ui::SettingsStore::SelectApplicationKey();
    ui::AmbitSettings first = ui::SettingsStore::Load(env.DataDir());
    EXPECT_EQ(first, ui::AmbitSettings::Defaults(env.DataDir()));
    EXPECT_EQ(store::RegistryString("email").Get(), ui::kPlaceholderEmail)
        << "the default is stored";
    EXPECT_FALSE(ui::SettingsStore::StartedBefore());

    ui::AmbitSettings edited = first;
    edited.email = "me@example.org";
    edited.deleteConfirmation = 0;
    edited.serverAddress = "maps.example.org";
    ui::SettingsStore::Save(edited);
    ui::SettingsStore::MarkStarted();
    platform::RegistryDb::CloseShared();
    EXPECT_EQ(ui::SettingsStore::Load(env.DataDir()), edited);
    EXPECT_TRUE(ui::SettingsStore::StartedBefore());
}

TEST(Settings, MapServerComesFromTheSettingsUnlessItIsTheBuiltInOne) {
    ui::AmbitSettings s = ui::AmbitSettings::Defaults("/data");
    setenv("AMBIT_MAP_SERVER", "127.0.0.1", 1);
    EXPECT_EQ(s.MapServer(), "127.0.0.1")
        << "the stored default is the built-in server, which the variable moves";
    s.serverAddress = "maps.example.org";
    s.serverPath = " ";
    EXPECT_EQ(s.MapServer(), "maps.example.org");
    EXPECT_EQ(s.MapPath(), "/pub/Ambit/first.amb") << "a blank path means the built-in one";
    unsetenv("AMBIT_MAP_SERVER");
}

TEST(Settings, AnUnreadableRegistryIsReportedAndStartUpGoesOn) {
    uitest::UiTestEnv env;
    // A directory where the registry file should be: nothing can be read.
    fs::create_directories(env.dir.File("registry.sqlite3"));
    ui::CatalogSession session(env.DataDir());
    session.InitialUpdate({});
    ASSERT_FALSE(env.prompt.Messages().empty());
    EXPECT_EQ(env.prompt.Messages()[0].rfind("Your settings could not be read: ", 0), 0u)
        << env.prompt.Messages()[0];
    EXPECT_EQ(session.Settings().email, ui::kPlaceholderEmail);
    EXPECT_NE(session.Catalog().Tree().RootItem(), nullptr);
}

struct VersionCase {
    std::string name, path;
    bool asked;
};

TEST(Download, TheNewVersionQuestionAndTheCommandLine) {
    const std::vector<VersionCase> cases = {
        {"Ambit Setup", "/pub/ambit12.exe", true},
        {"ambit", "/pub/AMBIT.EXE", true},
        {"Amb", "/pub/ambit12.exe", false},
        {"Ambit Setup", "/pub/ambit12.zip", false},
    };
    for (const VersionCase& c : cases) {
        uitest::UiTestEnv env;
        ui::CatalogSession session(env.DataDir());
        env.prompt.Answer(false);
        bool quit = true;
        catalog::CEntry e = Entry(c.name, c.path);
        ASSERT_TRUE(session.DownloadItem(e, env.DataDir() + "/dl/sub/file.bin", true, &quit))
            << c.name;
        EXPECT_FALSE(quit);
        EXPECT_EQ(env.prompt.Questions().size(), c.asked ? 1u : 0u) << c.name << " " << c.path;
        ASSERT_EQ(env.launcher.Started().size(), 1u);
        // The placeholder address is the password until the user gives theirs.
        EXPECT_EQ(env.launcher.Started()[0][1], "files.example.org$$" + c.path + "$$ftp$$" +
                                                    store::Scramble(ui::kPlaceholderEmail) + "$$" +
                                                    env.DataDir() + "/dl/sub/file.bin$$0$$N$$");
        EXPECT_TRUE(fs::is_directory(env.DataDir() + "/dl/sub"));
    }
}

TEST(Download, APathThatWouldBreakTheCommandLineIsRefused) {
    uitest::UiTestEnv env;
    ui::CatalogSession session(env.DataDir());
    bool quit = false;
    EXPECT_FALSE(session.DownloadItem(Entry("Odd", "/pub/a$$b.zip"), env.DataDir() + "/a.zip",
                                      false, &quit));
    EXPECT_TRUE(env.launcher.Started().empty());
    ASSERT_EQ(env.prompt.Messages().size(), 1u);
    EXPECT_NE(env.prompt.Messages()[0].find("/pub/a$$b.zip"), std::string::npos);

    // A transfer program that cannot be started is reported, and a new
    // version's install does not end the program for nothing.
    env.launcher.FailWith("No such file or directory");
    env.prompt.Answer(true);
    EXPECT_FALSE(session.DownloadItem(Entry("Ambit", "/pub/ambit.exe"), env.DataDir() + "/a.exe",
                                      false, &quit));
    EXPECT_FALSE(quit);
    EXPECT_NE(env.prompt.Messages().back().find("Could not start the transfer program"),
              std::string::npos);
}

TEST(Download, AnOverLongStoredAddressIsRefusedWithAMessage) {
    // Settings written before the Options field was limited can hold more
    // than the transfer program's command line can carry scrambled.
    uitest::UiTestEnv env;
    ui::CatalogSession session(env.DataDir());
    ui::AmbitSettings s = session.Settings();
    s.email = std::string(255, 'a');
    ASSERT_TRUE(session.ApplySettings(s));
    EXPECT_FALSE(session.DownloadItem(Entry("Big", "/pub/big.zip"), env.DataDir() + "/big.zip",
                                      false, nullptr));
    EXPECT_TRUE(env.launcher.Started().empty());
    ASSERT_EQ(env.prompt.Messages().size(), 1u);
    EXPECT_NE(env.prompt.Messages()[0].find("Please shorten it in Options"), std::string::npos);

    // The field itself takes no more than can be scrambled.
    ui::OptionsDialog dialog(session.Settings());
    EXPECT_EQ(dialog.EmailEdit()->maxLength(), static_cast<int>(store::kMaxScrambleText));
    dialog.EmailEdit()->clear();
    QTest::keyClicks(dialog.EmailEdit(), QString(300, QLatin1Char('b')));
    EXPECT_EQ(dialog.EmailEdit()->text().size(), static_cast<int>(store::kMaxScrambleText));
}

TEST(Options, OkWritesEverySettingAndCancelNothing) {
    uitest::UiTestEnv env;
    ui::CatalogSession session(env.DataDir());
    ui::SettingsStore::SelectApplicationKey();
    ui::OptionsDialog dialog(session.Settings());
    dialog.EmailEdit()->setText(QStringLiteral("me@example.org"));
    dialog.DownloadDirEdit()->setText(QStringLiteral("/srv/downloads"));
    dialog.DeleteConfirmationBox()->setChecked(false);
    dialog.LastItemBox()->setChecked(false);
    dialog.ServerAddressEdit()->setText(QStringLiteral("maps.example.org"));
    dialog.ServerPathEdit()->setText(QStringLiteral("/catalog/first.amb"));
    dialog.accept();
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    ASSERT_TRUE(session.ApplySettings(dialog.Result()));

    platform::RegistryDb::CloseShared();
    EXPECT_EQ(store::RegistryString("email").Get(), "me@example.org");
    EXPECT_EQ(store::RegistryString("download dir").Get(), "/srv/downloads");
    EXPECT_EQ(store::RegistryNumber("delete confirmation").Get(), 0u);
    EXPECT_EQ(store::RegistryNumber("last item").Get(), 0u);
    EXPECT_EQ(store::RegistryString("server address").Get(), "maps.example.org");
    EXPECT_EQ(store::RegistryString("server path").Get(), "/catalog/first.amb");
    EXPECT_EQ(session.Settings().serverPath, "/catalog/first.amb");

    ui::OptionsDialog again(session.Settings());
    EXPECT_FALSE(again.DeleteConfirmationBox()->isChecked())
        << "a real address keeps the stored choice";
    again.EmailEdit()->setText(QStringLiteral("other@example.org"));
    again.reject();
    EXPECT_EQ(session.Settings().email, "me@example.org");
}

}  // namespace
