// Live browsing from the window against FTP servers on 127.0.0.1: opening a
// site by double click, a directory by Enter, Refresh and Close Site from
// the context menu, with the tree's contents checked; and closing the
// window while a listing waits on a server that never answers.
#include <gtest/gtest.h>

#include <QMenu>
#include <QTest>

#include "scripted_ftp_server.h"
#include "site_entry.h"
#include "ui/command_ids.h"
#include "ui/status_panes.h"
#include "ui_test_env.h"

namespace {

using catalog::TreeItem;
using uitest::ChildTexts;

class SiteBrowsingTest : public uitest::WindowTest {
protected:
    void Start() {
        env.StoreKnownUser();
        env.prompt.Answer(false);  // no ambit.amb: start with an empty tree
        StartWindow(true);
    }

    // Opens the context menu of the selection from the keyboard and picks
    // the item with the given text.
    void ChooseFromContextMenu(const QString& text) {
        auto chose = uitest::WhenModal([text](QWidget* w) {
            auto* menu = qobject_cast<QMenu*>(w);
            ASSERT_NE(menu, nullptr);
            for (QAction* a : menu->actions())
                if (a->text() == text) {
                    ASSERT_TRUE(a->isEnabled()) << text.toStdString();
                    menu->setActiveAction(a);
                }
            QTest::keyClick(menu, Qt::Key_Return);
        });
        QTest::keyClick(View(), Qt::Key_F10, Qt::ShiftModifier);
        EXPECT_TRUE(*chose);
    }
};

TEST_F(SiteBrowsingTest, OpenListRefreshAndCloseFromTheWindow) {
    testsupport::TempDir root;
    root.Write("pub/incoming/upload-here.txt", "x");
    root.Write("pub/readme.txt", "hello");
    root.Write("welcome.msg", "Welcome");
    testsupport::FtpServer server(root.Path());
    ASSERT_TRUE(server.Started()) << server.Error();
    setenv("AMBIT_FTP_PORT", std::to_string(server.Port()).c_str(), 1);
    Start();
    TreeItem* site =
        Tree().InsertEntry(testsupport::SiteEntry("Local", server.User(), server.Password(), "/"));
    View()->expand(View()->ViewIndex(site->Parent()));
    QTest::mouseDClick(View()->viewport(), Qt::LeftButton, {},
                       View()->visualRect(View()->ViewIndex(site)).center());
    EXPECT_EQ(ChildTexts(site), (std::vector<std::string>{"pub", "welcome.msg"}));
    EXPECT_TRUE(View()->isExpanded(View()->ViewIndex(site)));
    EXPECT_TRUE(env.prompt.Messages().empty()) << env.prompt.Messages()[0];
    EXPECT_EQ(View()->ListingsRunning(), 0);

    TreeItem* pub = Item("/All/FTP Sites/Local/pub");
    ASSERT_NE(pub, nullptr);
    View()->SelectItem(pub);
    View()->setFocus();
    QTest::keyClick(View(), Qt::Key_Return);
    EXPECT_EQ(ChildTexts(pub), (std::vector<std::string>{"incoming", "readme.txt"}));
    EXPECT_TRUE(View()->isExpanded(View()->ViewIndex(pub))) << "Enter opens what it listed";

    // A file that appears on the server shows after Refresh.
    root.Write("pub/new.zip", "zip");
    View()->SelectItem(pub);
    EXPECT_EQ(frame->ContextMenuId(), ui::cmd::kMenuSiteDir);
    ChooseFromContextMenu(QStringLiteral("&Refresh"));
    EXPECT_EQ(ChildTexts(Item("/All/FTP Sites/Local/pub")),
              (std::vector<std::string>{"incoming", "new.zip", "readme.txt"}));

    Select("/All/FTP Sites/Local/pub/readme.txt");
    EXPECT_EQ(frame->Panes().ConnectionText(), QStringLiteral("FTP"));
    Shot(frame.get(), "ambit-main-window.png");

    View()->SelectItem(site);
    ChooseFromContextMenu(QStringLiteral("&Close Site"));
    EXPECT_TRUE(ChildTexts(site).empty());
    EXPECT_FALSE(Action(ui::cmd::kCloseSiteMenu)->isEnabled());
    EXPECT_TRUE(Action(ui::cmd::kOpenSite)->isEnabled());
}

TEST_F(SiteBrowsingTest, ClosingTheWindowDuringAListingEndsItFirst) {
    testsupport::ScriptedFtpServer server;
    server.LoginSteps()
        .Expect("CWD")
        .Send("250 ok\r\n")
        .Expect("PWD")
        .Send("257 \"/\" is current\r\n")
        .Expect("PORT")
        .Send("200 ok\r\n")
        .Expect("LIST")
        .WaitEof();  // never answers: the listing waits until it is ended
    ASSERT_TRUE(server.Start()) << server.Error();
    setenv("AMBIT_FTP_PORT", std::to_string(server.Port()).c_str(), 1);
    Start();
    TreeItem* site = Tree().InsertEntry(testsupport::SiteEntry("Silent", "u", "p", "/"));
    View()->SelectItem(site);

    // Once the listing waits, the user closes the window.
    auto [closeAsked, poll] =
        uitest::WhenBusy([&] { return View()->ListingsRunning() > 0; }, [&] { frame->close(); });
    Action(ui::cmd::kOpenSite)->trigger();
    EXPECT_TRUE(*closeAsked);
    EXPECT_EQ(View()->ListingsRunning(), 0);
    // The close that had to wait happens as soon as the listing is gone.
    QTRY_VERIFY_WITH_TIMEOUT(!frame->isVisible(), 5000);  // the catalog, site and all, is gone
}

}  // namespace
