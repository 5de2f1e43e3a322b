// Start-up settings and the download hand-over to skiff, without a window;
// skiff's own parser reads the command lines back, so the two programs
// agree on every field, also for paths with blanks, colons and non-ASCII
// letters.
#include "session/catalog_session.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "catalog/catalog.h"
#include "session/settings_store.h"
#include "session_test_env.h"
#include "store/registry_string.h"
#include "store/scramble.h"
#include "transfer/transfer_command.h"

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
    sessiontest::SessionTestEnv env;
    session::SettingsStore::SelectApplicationKey();
    session::AmbitSettings first = session::SettingsStore::Load();
    EXPECT_EQ(first, session::AmbitSettings::Defaults());
    EXPECT_EQ(store::RegistryString("email").Get(), session::kPlaceholderEmail)
        << "the default is stored";
    EXPECT_FALSE(session::SettingsStore::StartedBefore());

    session::AmbitSettings edited = first;
    edited.email = "me@example.org";
    edited.deleteConfirmation = 0;
    edited.serverAddress = "maps.example.org";
    edited.downloadDir = "/srv/my downloads";
    session::SettingsStore::Save(edited);
    session::SettingsStore::MarkStarted();
    platform::RegistryDb::CloseShared();
    // A stored folder stays even when the desktop's download folder moves.
    setenv("XDG_DOWNLOAD_DIR", "/moved", 1);
    EXPECT_EQ(session::SettingsStore::Load(), edited);
    EXPECT_TRUE(session::SettingsStore::StartedBefore());

    // The map server: the stored default is the built-in one, which the
    // variable moves; a blank path means the built-in path.
    setenv("AMBIT_MAP_SERVER", "127.0.0.1", 1);
    EXPECT_EQ(first.MapServer(), "127.0.0.1");
    edited.serverPath = " ";
    EXPECT_EQ(edited.MapServer(), "maps.example.org");
    EXPECT_EQ(edited.MapPath(), "/pub/Ambit/first.amb");
}

TEST(Settings, AnUnreadableRegistryIsReportedAndStartUpGoesOn) {
    sessiontest::SessionTestEnv env;
    // A directory where the registry file should be: nothing can be read.
    fs::create_directories(env.dir.File("registry.sqlite3"));
    session::CatalogSession session(env.DataDir());
    session.InitialUpdate({});
    ASSERT_FALSE(env.prompt.Messages().empty());
    EXPECT_EQ(env.prompt.Messages()[0].rfind("Your settings could not be read: ", 0), 0u)
        << env.prompt.Messages()[0];
    EXPECT_EQ(session.Settings().email, session::kPlaceholderEmail);
    EXPECT_NE(session.Catalog().Tree().RootItem(), nullptr);
}

TEST(Download, SkiffReadsTheCommandLineAndANewVersionIsAskedAbout) {
    struct Case {
        std::string name, path;
        bool asked;
    } cases[] = {
        {"Grüße Tool", "/pub/new tools/grüße: v2.zip", false},
        {"Ambit Setup", "/pub/ambit12.exe", true},
        {"ambit", "/pub/AMBIT.EXE", true},
        {"Amb", "/pub/ambit12.exe", false},
        {"Ambit Setup", "/pub/ambit12.zip", false},
    };
    for (const Case& c : cases) {
        for (bool ascii : {false, true}) {
            SCOPED_TRACE(c.path + (ascii ? " ascii" : ""));
            sessiontest::SessionTestEnv env;
            session::CatalogSession session(env.DataDir());
            env.prompt.Answer(false);
            bool quit = true;
            catalog::CEntry e = Entry(c.name, c.path);
            e.DownloadDir = "[default]/my files";
            ASSERT_TRUE(session.DownloadItem(e, session.LocalPathFor(e), ascii, &quit));
            EXPECT_FALSE(quit);
            EXPECT_EQ(env.prompt.Questions().size(), c.asked ? 1u : 0u);
            ASSERT_EQ(env.launcher.Started().size(), 1u);
            const auto& argv = env.launcher.Started()[0];
            ASSERT_EQ(argv.size(), 2u) << "skiff gets exactly one argument";
            transfer::TransferCommand t = transfer::ParseTransferCommand(argv[1]);
            EXPECT_EQ(t.host, "files.example.org");
            EXPECT_EQ(t.remotePath, c.path);
            EXPECT_EQ(t.user, "ftp");
            // The placeholder is the password until the user gives theirs.
            EXPECT_EQ(store::Unscramble(t.scrambledPassword), session::kPlaceholderEmail);
            const std::string file = c.path.substr(c.path.rfind('/') + 1);
            EXPECT_EQ(t.localPath, env.DownloadDir() + "/my files/" + file);
            EXPECT_TRUE(fs::is_directory(env.DownloadDir() + "/my files"));
            EXPECT_TRUE(t.isDownload);
            EXPECT_EQ(t.isBinary, !ascii);
            EXPECT_TRUE(t.AskWhatToDo()) << "the user is asked what to do with the file";
            EXPECT_EQ(t.displayName, file);
        }
    }
}

TEST(Download, WhatCannotBeHandedOverIsRefusedWithAMessage) {
    sessiontest::SessionTestEnv env;
    session::CatalogSession session(env.DataDir());
    bool quit = false;
    EXPECT_FALSE(session.DownloadItem(Entry("Odd", "/pub/a$$b.zip"), env.DataDir() + "/a.zip",
                                      false, &quit));
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

    // Settings written before the Options field was limited can hold more
    // than the command line can carry scrambled.
    env.launcher.FailWith("");
    session::AmbitSettings s = session.Settings();
    s.email = std::string(255, 'a');
    ASSERT_TRUE(session.ApplySettings(s));
    EXPECT_FALSE(session.DownloadItem(Entry("Big", "/pub/big.zip"), env.DataDir() + "/big.zip",
                                      false, nullptr));
    EXPECT_TRUE(env.launcher.Started().empty());
    EXPECT_NE(env.prompt.Messages().back().find("Please shorten it in Options"), std::string::npos);
}

TEST(StartUp, MapFilesAreListedAndAFreshDataFileForgetsTheOldSources) {
    sessiontest::SessionTestEnv env;
    env.StoreKnownUser();
    // ambit.amb is missing; what described the old catalog is still there.
    env.dir.Write("data/hosts.dat", "old.amb:h:/p:0:old.amb\n");
    env.dir.Write("data/hdata.dat", "1:/All/x\n");
    env.dir.Write("data/MapFiles/m.amb", "%Internet Ambit Data File %ver=\"1.0\"\n");
    session::CatalogSession session(env.DataDir());
    env.prompt.Answer(true);  // get one from the Internet (no server: it fails)
    session.InitialUpdate({});
    EXPECT_TRUE(session.Catalog().ListSources().empty());
    ASSERT_TRUE(session.Catalog().SaveCatalog());
    EXPECT_EQ(fs::file_size(env.DataDir() + "/hosts.dat"), 0u);
    const catalog::CatalogTree& tree = session.Catalog().Tree();
    const catalog::TreeItem* maps = tree.FindChild(tree.RootItem(), "MapFiles");
    ASSERT_NE(maps, nullptr);
    EXPECT_NE(tree.FindChild(maps, "m.amb"), nullptr);
}

}  // namespace
