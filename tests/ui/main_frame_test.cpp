// The real main window, offscreen: the save question on close, the
// commands and context menu of each kind of selection (the rules behind
// them are the catalog's test), and activation.
#include "ui/main_frame.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "store/scramble.h"
#include "ui/command_ids.h"
#include "ui_test_env.h"

namespace {

namespace fs = std::filesystem;
using catalog::TreeItem;

const char* const kSaveQuestion =
    "You have made changes to your tree, would you like to save them?";
const char* const kQuitQuestion = "Your changes could not be saved. Quit anyway and lose them?";

class MainFrameTest : public uitest::WindowTest {
protected:
    // A later start of a known user over the demo catalog.
    void StartDemo() {
        env.StoreKnownUser();
        uitest::CopyDemoCatalog(env.DataDir());
        StartWindow(true);
    }

    // Adds an entry the way live browsing or map files would have.
    TreeItem* AddEntry(const std::string& location, const std::string& description,
                       const std::string& path, int mapFileId = 0) {
        catalog::CEntry e;
        e.Name = catalog::NameFromLocation(location);
        e.Location = location;
        e.Description = description;
        e.Path = path;
        e.Address = "127.0.0.1";
        e.MapFileId = mapFileId;
        return Tree().InsertEntry(e);
    }
};

// Closing: nothing asked without a change; after one, the save question's
// answers, with a save that works or fails (the data directory gone).
TEST_F(MainFrameTest, CloseAsksToSaveAChangeAndKeepsTheWindowWhenTold) {
    enum Answer { kNo, kYes, kCancel };
    const struct {
        const char* what;
        bool change, saveFails;
        std::vector<Answer> answers;
        bool closes;
    } cases[] = {
        {"unchanged", false, false, {}, true},
        {"save", true, false, {kYes}, true},
        {"cancel", true, false, {kCancel}, false},
        {"failed save, stay", true, true, {kYes, kNo}, false},
        {"failed save, quit", true, true, {kYes, kYes}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const size_t shown = env.prompt.Shown().size();
        StartDemo();
        EXPECT_EQ(env.prompt.Shown().size(), shown) << "a later start asks nothing";
        if (c.change) {
            AddEntry("/All/Games/Chess", "A chess program", "/pub/chess.zip");
            Cat().SetChanged();
        }
        if (c.saveFails) {
            fs::remove_all(env.DataDir());
            std::ofstream(env.DataDir()) << "a file where the directory was";
        }
        for (Answer a : c.answers)
            a == kCancel ? env.prompt.AnswerCancel() : env.prompt.Answer(a == kYes);
        const size_t before = env.prompt.Questions().size();
        EXPECT_EQ(frame->close(), c.closes);
        std::vector<std::string> expected;
        if (c.change) expected.push_back(kSaveQuestion);
        if (c.saveFails) expected.push_back(kQuitQuestion);
        EXPECT_EQ(std::vector<std::string>(env.prompt.Questions().begin() + before,
                                           env.prompt.Questions().end()),
                  expected);
        if (c.closes && c.change && !c.saveFails) {
            EXPECT_NE(
                uitest::ReadAll(env.DataDir() + "/Games.amb").find("/All/Games/Chess:A chess"),
                std::string::npos);
        } else if (!c.closes) {
            EXPECT_NE(Item("/All/Games/Chess"), nullptr) << "the changes are still there";
            EXPECT_TRUE(Cat().Changed());
            env.prompt.Answer(false);  // discard, to close
            EXPECT_TRUE(frame->close());
        }
        frame.reset();
        fs::remove_all(env.DataDir());
        fs::create_directories(env.DataDir());
    }
}

TEST_F(MainFrameTest, EachKindOfSelectionEnablesItsCommandsAndPicksItsMenu) {
    StartDemo();
    using namespace ui::cmd;
    const std::string demo = "/All/FTP Sites/Demo server/";
    const struct {
        const char* what;
        TreeItem* item;
        int menu, enabled, disabled;
    } cases[] = {
        {"free item", Item("/All/Read me first"), kMenuCatalog, kDownloadCatalogItem, kUploadFile},
        {"closed site", Item("/All/Ambit"), kMenuSite, kOpenSite, kDownloadTool},
        {"site directory", AddEntry(demo + "pub", "", "FTPDIR"), kMenuSiteDir, kUploadFile,
         kDownloadTool},
        {"site file", AddEntry(demo + "pub/a.txt", "", "FTPFILE"), kMenuSiteFile, kDownloadSiteFile,
         kAddMapFile},
        {"map file", AddEntry("/All/MapFiles/Shareware", "LOCALARF", "/maps/share.amb"),
         kMenuMapFile, kAddMapFile, kUploadFile},
        {"nothing", nullptr, kMenuCatalog, kTransferLog, kDownloadTool},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        View()->SelectItem(c.item);
        frame->UpdateCommands();
        EXPECT_EQ(frame->ContextMenuId(), c.menu);
        EXPECT_TRUE(Action(c.enabled)->isEnabled());
        EXPECT_FALSE(Action(c.disabled)->isEnabled());
        EXPECT_FALSE(Action(kCopy)->isEnabled()) << "no handler";
    }

    // Rows arrive below the selection without it moving (as a listing or a
    // fetch does); the commands follow once the burst is over.
    View()->SelectItem(Item("/All/Ambit"));
    AddEntry("/All/Ambit/pub", "", "FTPDIR");
    QTRY_VERIFY_WITH_TIMEOUT(Action(kCloseSitePopup)->isEnabled(), 5000);
    EXPECT_FALSE(Action(kOpenSite)->isEnabled());
}

TEST_F(MainFrameTest, ContextMenusOpenByMouseOrKeyAndRunTheChoice) {
    StartDemo();
    QModelIndex readMe = View()->ViewIndex(Item("/All/Read me first"));
    QRect rect = View()->visualRect(readMe);
    ASSERT_TRUE(rect.isValid());
    QWidget* viewport = View()->viewport();

    auto chose = uitest::WhenModal([&](QWidget* w) {
        auto* menu = qobject_cast<QMenu*>(w);
        ASSERT_NE(menu, nullptr);
        ASSERT_FALSE(menu->actions().isEmpty());
        ASSERT_EQ(menu->actions()[0]->text(), QStringLiteral("Down&load"));
        menu->setActiveAction(menu->actions()[0]);
        QTest::keyClick(menu, Qt::Key_Return);
    });
    // A right click selects the row, then its menu opens.
    QTest::mousePress(viewport, Qt::RightButton, {}, rect.center());
    EXPECT_EQ(View()->SelectedItem(), Item("/All/Read me first"));
    QContextMenuEvent event(QContextMenuEvent::Mouse, rect.center(),
                            viewport->mapToGlobal(rect.center()));
    QApplication::sendEvent(viewport, &event);
    QTest::mouseRelease(viewport, Qt::RightButton, {}, rect.center());

    EXPECT_TRUE(*chose);
    ASSERT_EQ(env.launcher.Started().size(), 1u);
    EXPECT_EQ(env.launcher.Started()[0].back(), "127.0.0.1$$/pub/files/readme.txt$$ftp$$" +
                                                    store::Scramble("reader@example.org") + "$$" +
                                                    env.DownloadDir() + "/readme.txt$$1$$N$$");
    EXPECT_TRUE(fs::is_directory(env.DownloadDir())) << "the download directory is made first";

    // A right click on empty space keeps the selection.
    View()->SelectItem(Item("/All/FTP Sites"));
    QPoint empty(10, viewport->height() - 5);
    ASSERT_FALSE(View()->indexAt(empty).isValid());
    QTest::mousePress(viewport, Qt::RightButton, {}, empty);
    EXPECT_EQ(View()->SelectedItem(), Item("/All/FTP Sites"));

    // The menu key (sent as the X11 and Wayland platforms send it; the
    // offscreen one does not) opens the selection's menu at the tree corner.
    View()->SelectItem(Item("/All/FTP Sites/Demo server"));
    QPoint at;
    std::string name;
    auto opened = uitest::WhenModal([&](QWidget* w) {
        at = w->pos();
        name = w->objectName().toStdString();
        w->close();
    });
    QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(0, 0),
                          viewport->mapToGlobal(QPoint(0, 0)));
    QApplication::sendEvent(viewport, &key);
    EXPECT_TRUE(*opened);
    EXPECT_EQ(name, "contextMenu171");
    EXPECT_EQ(at, viewport->mapToGlobal(QPoint(5, 5)));
}

TEST_F(MainFrameTest, EnterOpensAFolderAndADoubleClickedItemShowsItsProperties) {
    StartDemo();
    // A folder entry without children reads its contents file, and Enter
    // then opens it; again closes it.
    TreeItem* games = Item("/All/Games");
    View()->SelectItem(games);
    View()->setFocus();
    QTest::keyClick(View(), Qt::Key_Return);
    EXPECT_EQ(uitest::ChildTexts(games), (std::vector<std::string>{"Tile puzzle", "Word ladder"}));
    EXPECT_TRUE(View()->isExpanded(View()->ViewIndex(games)));
    QTest::keyClick(View(), Qt::Key_Return);
    EXPECT_FALSE(View()->isExpanded(View()->ViewIndex(games)));

    View()->SelectItem(Item("/All/Read me first"));
    QString shown;
    auto answered = uitest::WhenModal([&](QWidget* w) {
        shown = w->windowTitle();
        w->close();
    });
    QTest::mouseDClick(View()->viewport(), Qt::LeftButton, {},
                       View()->visualRect(View()->currentIndex()).center());
    EXPECT_TRUE(*answered);
    EXPECT_EQ(shown, QStringLiteral("Item Properties"));
    EXPECT_TRUE(env.launcher.Started().empty()) << "closing it starts nothing";
}

}  // namespace
