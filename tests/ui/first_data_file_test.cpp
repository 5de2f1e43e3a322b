// Fetching the first data file from a real FTP server on 127.0.0.1 (the
// demo map server's content): the first start, Update Map File following
// the Options dialog's server settings, and a fetch that fails.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "scripted_ftp_server.h"
#include "session/ftp_data_fetcher.h"
#include "ui/command_ids.h"
#include "ui/options_dialog.h"
#include "ui_test_env.h"

namespace {

namespace fs = std::filesystem;
using uitest::ChildTexts;

class FirstDataFileTest : public uitest::WindowTest {
protected:
    explicit FirstDataFileTest(const std::string& email = "reader@example.org")
        : server(std::string(AMBIT_SOURCE_DIR) + "/demo/map", uitest::FtpUserLogin(email)) {
        setenv("AMBIT_MAP_SERVER", "127.0.0.1", 1);
        setenv("AMBIT_FTP_PORT", std::to_string(server.Port()).c_str(), 1);
    }
    void Start() { StartWindow(); }

    testsupport::FtpServer server;
};

// On the first start the address is still the placeholder when the first
// data file is fetched.
class FirstStartTest : public FirstDataFileTest {
protected:
    FirstStartTest() : FirstDataFileTest(session::kPlaceholderEmail) {}
};

TEST_F(FirstStartTest, FetchesTheCatalogAndStartsANewIndex) {
    ASSERT_TRUE(server.Started()) << server.Error();
    // Left over from an older catalog: they must not describe the new one.
    std::ofstream(env.DataDir() + "/hdata.dat") << "44:/All/Old/thing\n";
    std::ofstream(env.DataDir() + "/hosts.dat") << "old\n";
    env.prompt.Answer(true);
    auto options = uitest::WhenModal([](QWidget* w) {
        auto* d = qobject_cast<ui::OptionsDialog*>(w);
        ASSERT_NE(d, nullptr);
        d->EmailEdit()->setText(QStringLiteral("me@example.org"));
        d->accept();
    });
    Start();
    EXPECT_TRUE(*options);
    EXPECT_EQ(env.prompt.Questions(),
              std::vector<std::string>{"Would you like to get a new datafile from the Internet?"});
    EXPECT_TRUE(env.prompt.Messages().empty()) << env.prompt.Messages()[0];
    EXPECT_EQ(ChildTexts(Tree().RootItem()),
              (std::vector<std::string>{"Ambit", "Documents", "FTP Sites", "Games", "Read me first",
                                        "Utilities"}));
    EXPECT_FALSE(fs::exists(env.DataDir() + "/hdata.dat"));
    EXPECT_TRUE(View()->Catalog().Changed());

    // A folder's contents come from the map server too when they are not
    // on disk yet; by now the real address is the password.
    testsupport::FtpServer second(std::string(AMBIT_SOURCE_DIR) + "/demo/map",
                                  uitest::FtpUserLogin("me@example.org"));
    ASSERT_TRUE(second.Started()) << second.Error();
    setenv("AMBIT_FTP_PORT", std::to_string(second.Port()).c_str(), 1);
    env.prompt.Answer(true);
    View()->SelectItem(Item("/All/Games"));
    View()->ActivateItem();
    EXPECT_EQ(ChildTexts(Item("/All/Games")),
              (std::vector<std::string>{"Tile puzzle", "Word ladder"}));

    // Saved on the way out, the next start reads it from disk, asking nothing.
    env.prompt.Answer(true);
    ASSERT_TRUE(frame->close());
    frame.reset();
    size_t asked = env.prompt.Shown().size();
    Start();
    View()->SelectItem(Item("/All/Games"));
    View()->ActivateItem();
    EXPECT_EQ(env.prompt.Shown().size(), asked);
    EXPECT_EQ(ChildTexts(Item("/All/Games")),
              (std::vector<std::string>{"Tile puzzle", "Word ladder"}));
}

TEST_F(FirstDataFileTest, UpdateMapFileUsesTheServerOfTheSettings) {
    ASSERT_TRUE(server.Started()) << server.Error();
    env.StoreKnownUser();
    Start();  // no ambit.amb: answered No
    // The user points the settings at another path on the server.
    session::AmbitSettings s = View()->Session().Settings();
    s.serverPath = "/pub/Ambit/Games.amb";
    ASSERT_TRUE(View()->Session().ApplySettings(s));
    Action(ui::cmd::kUpdateMapFile)->trigger();
    EXPECT_EQ(ChildTexts(Item("/All/Games")),
              (std::vector<std::string>{"Tile puzzle", "Word ladder"}));
    EXPECT_EQ(Item("/All/Read me first"), nullptr) << "first.amb was not what was fetched";

    session::FtpDataFetcher fetcher(s);
    std::string host, path;
    fetcher.Resolve("127.0.0.1", "/pub/Ambit/Utilitie.amb", &host, &path);
    EXPECT_EQ(path, "/pub/Ambit/Utilitie.amb");
    s.serverPath = "/mirror/first.amb";
    fetcher.Resolve("127.0.0.1", "/pub/Ambit/Utilitie.amb", &host, &path);
    EXPECT_EQ(path, "/mirror/Utilitie.amb") << "folder files live beside the first data file";
    fetcher.Resolve("files.example.org", "/pub/Ambit/x.amb", &host, &path);
    EXPECT_EQ(host, "files.example.org") << "other servers are left alone";
}

TEST_F(FirstDataFileTest, AFailedFetchIsReportedAndChangesNothing) {
    ASSERT_TRUE(server.Started()) << server.Error();
    env.StoreKnownUser();
    Start();
    session::AmbitSettings s = View()->Session().Settings();
    s.serverPath = "/pub/Ambit/missing.amb";
    ASSERT_TRUE(View()->Session().ApplySettings(s));
    size_t before = Tree().ItemCount();
    Action(ui::cmd::kUpdateMapFile)->trigger();
    EXPECT_EQ(Tree().ItemCount(), before);
    ASSERT_FALSE(env.prompt.Messages().empty());
    EXPECT_NE(env.prompt.Messages().back().find("retrieving file"), std::string::npos)
        << env.prompt.Messages().back();

    // A server that is not there at all.
    server.Stop();
    Action(ui::cmd::kUpdateMapFile)->trigger();
    EXPECT_EQ(Tree().ItemCount(), before);
    EXPECT_GE(env.prompt.Messages().size(), 2u);
}

TEST(FetchInProgress, ASecondFetchIsRefusedAndClosingEndsTheFetchFirst) {
    uitest::UiTestEnv env;
    env.StoreKnownUser();
    // A map server that starts sending the file and then never finishes.
    testsupport::ScriptedFtpServer server;
    server.LoginSteps()
        .Expect("TYPE")
        .Send("200 binary\r\n")
        .Expect("PORT")
        .Send("200 ok\r\n")
        .Expect("RETR")
        .Send("150 sending\r\n")
        .DataConnect()
        .DataSend("%Internet Ambit Data File %ver=\"1.0\"\n/All/Half")
        .WaitEof();
    ASSERT_TRUE(server.Start()) << server.Error();
    setenv("AMBIT_MAP_SERVER", "127.0.0.1", 1);
    setenv("AMBIT_FTP_PORT", std::to_string(server.Port()).c_str(), 1);
    ui::CMainFrame frame(ui::FrameOptions{env.DataDir(), 0});
    frame.show();
    frame.View()->InitialUpdate();
    const size_t items = frame.View()->Catalog().Tree().ItemCount();

    // While the file trickles in, the user asks for it again, then closes
    // the window.
    auto [closeAsked, poll] =
        uitest::WhenBusy([&] { return frame.View()->NetworkBusy(); },
                         [&] {
                             frame.Commands().Action(ui::cmd::kUpdateMapFile)->trigger();
                             frame.close();
                         });
    frame.Commands().Action(ui::cmd::kUpdateMapFile)->trigger();
    EXPECT_TRUE(*closeAsked);
    EXPECT_FALSE(frame.View()->NetworkBusy());
    EXPECT_EQ(env.prompt.Messages(),
              std::vector<std::string>{
                  "A data file is being fetched already. Try again when it has arrived."});
    EXPECT_EQ(frame.View()->Catalog().Tree().ItemCount(), items) << "half a file is not read";
    QTRY_VERIFY_WITH_TIMEOUT(!frame.isVisible(), 5000);
}

}  // namespace
