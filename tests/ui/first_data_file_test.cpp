// Fetching data files from a real FTP server on 127.0.0.1 (the demo map
// server's content): the first start, Update Map File following the
// settings' server path, a fetch that fails and one that never ends.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QTest>

#include "scripted_ftp_server.h"
#include "session/ftp_data_fetcher.h"
#include "ui/command_ids.h"
#include "ui/options_dialog.h"
#include "ui_test_env.h"

namespace {

using uitest::ChildTexts;

const std::string kDemo = std::string(AMBIT_SOURCE_DIR) + "/demo/map";
const std::vector<std::string> kGames = {"Tile puzzle", "Word ladder"};

class FirstDataFileTest : public uitest::WindowTest {
protected:
    // Serves the demo map to the given address as password.
    void Serve(const std::string& email) {
        server = std::make_unique<testsupport::FtpServer>(kDemo, uitest::FtpUserLogin(email));
        ASSERT_TRUE(server->Started()) << server->Error();
        setenv("AMBIT_MAP_SERVER", "127.0.0.1", 1);
        setenv("AMBIT_FTP_PORT", std::to_string(server->Port()).c_str(), 1);
    }
    void PointSettingsAt(const std::string& serverPath) {
        session::AmbitSettings s = View()->Session().Settings();
        s.serverPath = serverPath;
        ASSERT_TRUE(View()->Session().ApplySettings(s));
    }

    std::unique_ptr<testsupport::FtpServer> server;
};

TEST_F(FirstDataFileTest, FirstStartFetchesTheCatalogAndStartsANewIndex) {
    // On the first start the address is still the placeholder, which the
    // Options dialog then refuses.
    Serve(session::kPlaceholderEmail);
    env.prompt.Answer(true);
    auto options = uitest::WhenModal([](QWidget* w) {
        auto* d = qobject_cast<ui::OptionsDialog*>(w);
        ASSERT_NE(d, nullptr);
        d->accept();
        EXPECT_TRUE(d->isVisible());
        d->EmailEdit()->setText(QStringLiteral("me@example.org"));
        d->accept();
    });
    StartWindow();
    EXPECT_TRUE(*options);
    EXPECT_EQ(env.prompt.Shown(),
              (std::vector<std::string>{"Would you like to get a new datafile from the Internet?",
                                        "Please enter your real e-mail address."}));
    EXPECT_EQ(ChildTexts(Tree().RootItem()),
              (std::vector<std::string>{"Ambit", "Documents", "FTP Sites", "Games", "Read me first",
                                        "Utilities"}));
    EXPECT_TRUE(Cat().Changed());

    // A folder's contents come from the map server too when they are not
    // on disk yet; by now the real address is the password.
    Serve("me@example.org");
    env.prompt.Answer(true);
    Select("/All/Games");
    View()->ActivateItem();
    EXPECT_EQ(ChildTexts(Item("/All/Games")), kGames);
}

TEST_F(FirstDataFileTest, UpdateMapFileUsesTheServerOfTheSettingsOrSaysWhyNot) {
    Serve("reader@example.org");
    env.StoreKnownUser();
    StartWindow();
    EXPECT_EQ(env.prompt.Questions(),
              std::vector<std::string>{
                  "Could not open data file. Would you like to to get one from the Internet?"});
    EXPECT_EQ(ChildTexts(Tree().RootItem()), std::vector<std::string>{"Ambit"}) << "answered No";
    PointSettingsAt("/pub/Ambit/Games.amb");
    Action(ui::cmd::kUpdateMapFile)->trigger();
    EXPECT_EQ(ChildTexts(Item("/All/Games")), kGames);
    EXPECT_EQ(Item("/All/Read me first"), nullptr) << "first.amb was not what was fetched";

    // Folder files live beside the first data file; other servers are
    // left alone.
    session::AmbitSettings s = View()->Session().Settings();
    s.serverPath = "/mirror/first.amb";
    session::FtpDataFetcher fetcher(s);
    std::string host, path;
    fetcher.Resolve("127.0.0.1", "/pub/Ambit/Utilitie.amb", &host, &path);
    EXPECT_EQ(path, "/mirror/Utilitie.amb");
    fetcher.Resolve("files.example.org", "/pub/Ambit/x.amb", &host, &path);
    EXPECT_EQ(host, "files.example.org");

    // A file the server lacks, then no server at all: reported, nothing
    // changes.
    PointSettingsAt("/pub/Ambit/missing.amb");
    const size_t before = Tree().ItemCount(), shown = env.prompt.Messages().size();
    Action(ui::cmd::kUpdateMapFile)->trigger();
    ASSERT_EQ(env.prompt.Messages().size(), shown + 1);
    EXPECT_NE(env.prompt.Messages().back().find("retrieving file"), std::string::npos)
        << env.prompt.Messages().back();
    server->Stop();
    Action(ui::cmd::kUpdateMapFile)->trigger();
    EXPECT_GE(env.prompt.Messages().size(), shown + 2);
    EXPECT_EQ(Tree().ItemCount(), before);
}

TEST_F(FirstDataFileTest, ASecondFetchIsRefusedAndClosingEndsTheFetchFirst) {
    env.StoreKnownUser();
    // A map server that starts sending the file and then never finishes.
    testsupport::ScriptedFtpServer scripted;
    scripted.LoginSteps()
        .Expect("TYPE")
        .Send("200 binary\r\n")
        .Expect("PORT")
        .Send("200 ok\r\n")
        .Expect("RETR")
        .Send("150 sending\r\n")
        .DataConnect()
        .DataSend("%Internet Ambit Data File %ver=\"1.0\"\n/All/Half")
        .WaitEof();
    ASSERT_TRUE(scripted.Start()) << scripted.Error();
    setenv("AMBIT_MAP_SERVER", "127.0.0.1", 1);
    setenv("AMBIT_FTP_PORT", std::to_string(scripted.Port()).c_str(), 1);
    StartWindow();
    const size_t items = Tree().ItemCount();

    // While the file trickles in, the user asks for it again, then closes
    // the window.
    auto [closeAsked, poll] = uitest::WhenBusy([&] { return View()->NetworkBusy(); },
                                               [&] {
                                                   Action(ui::cmd::kUpdateMapFile)->trigger();
                                                   frame->close();
                                               });
    Action(ui::cmd::kUpdateMapFile)->trigger();
    EXPECT_TRUE(*closeAsked);
    EXPECT_FALSE(View()->NetworkBusy());
    EXPECT_EQ(env.prompt.Messages(),
              std::vector<std::string>{
                  "A data file is being fetched already. Try again when it has arrived."});
    EXPECT_EQ(Tree().ItemCount(), items) << "half a file is not read";
    QTRY_VERIFY_WITH_TIMEOUT(!frame->isVisible(), 5000);
}

}  // namespace
