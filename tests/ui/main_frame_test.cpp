// The real main window, offscreen: start-up with and without a data file,
// the save question on close, which commands each kind of selection allows,
// context menus by kind and activation.
#include "ui/main_frame.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <functional>
#include <tuple>

#include "store/scramble.h"
#include "ui/command_ids.h"
#include "ui/options_dialog.h"
#include "ui_test_env.h"

namespace {

namespace fs = std::filesystem;
using catalog::TreeItem;
using uitest::FindPath;

const std::string kDemo = std::string(AMBIT_SOURCE_DIR) + "/demo/map/";

class MainFrameTest : public uitest::WindowTest {
protected:
    void CopyDemoCatalog() {
        for (const char* f :
             {"ambit.amb", "Games.amb", "Utilitie.amb", "Document.amb", "Compress.amb"})
            fs::copy_file(kDemo + "pub/Ambit/" + (std::string(f) == "ambit.amb" ? "first.amb" : f),
                          env.DataDir() + "/" + f, fs::copy_options::overwrite_existing);
    }

    void Start() { StartWindow(true); }

    // A later start of a known user over the demo catalog.
    void StartDemo() {
        env.StoreKnownUser();
        CopyDemoCatalog();
        Start();
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

TEST_F(MainFrameTest, FirstStartAsksForADataFileAndTheRealAddress) {
    // The Options dialog comes up because the address is the placeholder;
    // OK with the placeholder is refused, a real address is taken.
    auto answered = uitest::WhenModal([](QWidget* w) {
        auto* options = qobject_cast<ui::OptionsDialog*>(w);
        ASSERT_NE(options, nullptr);
        EXPECT_TRUE(options->DeleteConfirmationBox()->isChecked());
        options->accept();
        EXPECT_TRUE(options->isVisible());
        options->EmailEdit()->setText(QStringLiteral("me@example.org"));
        options->accept();
    });
    env.prompt.Answer(false);  // no data file from the Internet
    Start();

    EXPECT_TRUE(*answered);
    EXPECT_EQ(env.prompt.Shown(),
              (std::vector<std::string>{"Would you like to get a new datafile from the Internet?",
                                        "Please enter your real e-mail address."}));
    EXPECT_EQ(uitest::ChildTexts(Tree().RootItem()), std::vector<std::string>{"Ambit"});
    EXPECT_TRUE(View()->isExpanded(View()->ViewIndex(Tree().RootItem())));
    EXPECT_EQ(View()->Session().Settings().email, "me@example.org");

    // The next start is a later start: ambit.amb is asked about instead,
    // and the stored address keeps the Options dialog away.
    frame.reset();
    env.prompt.Answer(false);
    Start();
    EXPECT_EQ(env.prompt.Questions().back(),
              "Could not open data file. Would you like to to get one from the Internet?");
    EXPECT_EQ(View()->Session().Settings().email, "me@example.org");
}

TEST_F(MainFrameTest, LaterStartReadsAmbitAmbWithoutAQuestion) {
    StartDemo();
    EXPECT_TRUE(env.prompt.Shown().empty());
    EXPECT_EQ(uitest::ChildTexts(Tree().RootItem()),
              (std::vector<std::string>{"Ambit", "Documents", "FTP Sites", "Games", "Read me first",
                                        "Utilities"}));
    EXPECT_FALSE(View()->Catalog().Changed());
    EXPECT_TRUE(frame->close());
    EXPECT_TRUE(env.prompt.Questions().empty()) << "nothing changed, nothing asked";
}

// Closing after a change: the save question's answers, with a save that
// works or fails (the data directory gone under the program).
TEST_F(MainFrameTest, CloseAsksToSaveAChangeAndKeepsTheWindowWhenTold) {
    enum Answer { kNo, kYes, kCancel };
    const struct {
        const char* what;
        bool saveFails;
        std::vector<Answer> answers;
        bool closes;
        const char* lastQuestion;
    } cases[] = {
        {"save",
         false,
         {kYes},
         true,
         "You have made changes to your tree, would you like to save them?"},
        {"cancel",
         false,
         {kCancel},
         false,
         "You have made changes to your tree, would you like to save them?"},
        {"failed save, stay",
         true,
         {kYes, kNo},
         false,
         "Your changes could not be saved. Quit anyway and lose them?"},
        {"failed save, quit",
         true,
         {kYes, kYes},
         true,
         "Your changes could not be saved. Quit anyway and lose them?"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        StartDemo();
        AddEntry("/All/Games/Chess", "A chess program", "/pub/chess.zip");
        View()->Catalog().SetChanged();
        if (c.saveFails) {
            fs::remove_all(env.DataDir());
            std::ofstream(env.DataDir()) << "a file where the directory was";
        }
        for (Answer a : c.answers)
            a == kCancel ? env.prompt.AnswerCancel() : env.prompt.Answer(a == kYes);
        const size_t asked = env.prompt.Questions().size();
        EXPECT_EQ(frame->close(), c.closes);
        ASSERT_EQ(env.prompt.Questions().size(), asked + c.answers.size());
        EXPECT_EQ(env.prompt.Questions().back(), c.lastQuestion);
        if (c.closes && !c.saveFails) {
            EXPECT_NE(
                uitest::ReadAll(env.DataDir() + "/Games.amb").find("/All/Games/Chess:A chess"),
                std::string::npos);
        } else if (!c.closes) {
            EXPECT_TRUE(frame->isVisible());
            EXPECT_NE(Item("/All/Games/Chess"), nullptr) << "the changes are still there";
            EXPECT_TRUE(View()->Catalog().Changed());
            env.prompt.Answer(false);  // discard, to close
            EXPECT_TRUE(frame->close());
        }
        frame.reset();
        fs::remove_all(env.DataDir());
        fs::create_directories(env.DataDir());
    }
}

struct EnableCase {
    const char* what;
    TreeItem* item;
    int menu;  // the context menu of the selection
    std::vector<int> enabled;
    std::vector<int> disabled;
};

TEST_F(MainFrameTest, EachKindOfSelectionEnablesItsCommandsAndPicksItsMenu) {
    StartDemo();
    // Loading the Games folder makes the priced item exist.
    View()->Catalog().LoadFolderContents(Item("/All/Games"));
    using namespace ui::cmd;
    const std::vector<EnableCase> cases = {
        {"free item",
         Item("/All/Read me first"),
         kMenuCatalog,
         {kDownloadTool, kDownloadMenu, kDownloadCatalogItem, kSave, kUpdateMapFile, kTransferLog},
         {kUploadTool, kUploadFile, kCloseSiteMenu, kCopy}},
        {"priced item",
         Item("/All/Games/Word ladder"),
         kMenuCatalog,
         {kSave},
         {kDownloadTool, kDownloadMenu, kDownloadCatalogItem}},
        {"folder entry", Item("/All/Games"), kMenuCatalog, {kSave}, {kDownloadTool, kUploadTool}},
        {"FTP Sites folder",
         Item("/All/FTP Sites"),
         kMenuCatalog,
         {kSave},
         {kDownloadTool, kCloseSiteMenu}},
        {"closed site", Item("/All/Ambit"), kMenuSite, {kSave}, {kDownloadTool, kCloseSiteMenu}},
        {"site directory",
         AddEntry("/All/FTP Sites/Demo server/pub", "", "FTPDIR"),
         kMenuSiteDir,
         {kSave},
         {kDownloadTool, kDownloadCatalogItem}},
        {"site file",
         AddEntry("/All/FTP Sites/Demo server/pub/a.txt", "", "FTPFILE"),
         kMenuSiteFile,
         {kSave, kDownloadTool, kDownloadSiteFile},
         {kAddMapFile}},
        {"map file",
         AddEntry("/All/MapFiles/Shareware", "LOCALARF", "/maps/share.amb"),
         kMenuMapFile,
         {kAddMapFile},
         {kUploadFile}},
        {"map file content",
         AddEntry("/All/MapFiles/Shareware/Tool", "From a map", "/pub/tool.zip", 44),
         kMenuCatalog,
         {kDownloadCatalogItem},
         {kAddMapFile}},
        {"nothing",
         nullptr,
         kMenuCatalog,
         {kSave, kUpdateMapFile},
         {kDownloadTool, kDownloadCatalogItem}},
    };
    for (const EnableCase& c : cases) {
        ASSERT_TRUE(c.item || std::string(c.what) == "nothing") << c.what;
        View()->SelectItem(c.item);
        frame->UpdateCommands();
        EXPECT_EQ(frame->ContextMenuId(), c.menu) << c.what;
        for (int id : c.enabled) EXPECT_TRUE(Action(id)->isEnabled()) << c.what << ": " << id;
        for (int id : c.disabled) EXPECT_FALSE(Action(id)->isEnabled()) << c.what << ": " << id;
    }
}

TEST_F(MainFrameTest, CommandsFollowChildrenArrivingUnderTheSelection) {
    env.StoreKnownUser();
    Start();
    TreeItem* site = Item("/All/Ambit");
    View()->SelectItem(site);
    EXPECT_TRUE(Action(ui::cmd::kOpenSite)->isEnabled());
    EXPECT_FALSE(Action(ui::cmd::kCloseSitePopup)->isEnabled());
    // Rows arrive below the selection without it moving (as a listing or a
    // fetch does); the commands follow once the burst is over.
    AddEntry("/All/Ambit/pub", "", "FTPDIR");
    QTRY_VERIFY_WITH_TIMEOUT(Action(ui::cmd::kCloseSitePopup)->isEnabled(), 5000);
    EXPECT_FALSE(Action(ui::cmd::kOpenSite)->isEnabled());
}

TEST_F(MainFrameTest, RightClickSelectsThenTheMenuOfThatKindRunsTheChoice) {
    StartDemo();
    QModelIndex readMe = View()->ViewIndex(Item("/All/Read me first"));
    QRect rect = View()->visualRect(readMe);
    ASSERT_TRUE(rect.isValid());
    QWidget* viewport = View()->viewport();

    std::vector<std::string> shown;
    auto chose = uitest::WhenModal([&](QWidget* w) {
        auto* menu = qobject_cast<QMenu*>(w);
        ASSERT_NE(menu, nullptr);
        for (QAction* a : menu->actions()) shown.push_back(a->text().toStdString());
        for (QAction* a : menu->actions())
            if (a->text() == QStringLiteral("Down&load")) menu->setActiveAction(a);
        QTest::keyClick(menu, Qt::Key_Return);
    });
    QTest::mousePress(viewport, Qt::RightButton, {}, rect.center());
    EXPECT_EQ(View()->SelectedItem(), Item("/All/Read me first"));
    QContextMenuEvent event(QContextMenuEvent::Mouse, rect.center(),
                            viewport->mapToGlobal(rect.center()));
    QApplication::sendEvent(viewport, &event);
    QTest::mouseRelease(viewport, Qt::RightButton, {}, rect.center());

    EXPECT_TRUE(*chose);
    EXPECT_EQ(shown, (std::vector<std::string>{"Down&load", "&Properties", "&Add\tCtrl+N", "&Edit",
                                               "&Delete\tDel", "&New Folder"}));
    ASSERT_EQ(env.launcher.Started().size(), 1u);
    const auto& argv = env.launcher.Started()[0];
    ASSERT_EQ(argv.size(), 2u);
    EXPECT_EQ(argv[1], "127.0.0.1$$/pub/files/readme.txt$$ftp$$" +
                           store::Scramble("reader@example.org") + "$$" + env.DownloadDir() +
                           "/readme.txt$$1$$N$$");
    EXPECT_TRUE(fs::is_directory(env.DownloadDir())) << "the download directory is made first";

    // A right click on empty space keeps the selection.
    View()->SelectItem(Item("/All/FTP Sites"));
    QPoint empty(10, viewport->height() - 5);
    ASSERT_FALSE(View()->indexAt(empty).isValid());
    QTest::mousePress(viewport, Qt::RightButton, {}, empty);
    EXPECT_EQ(View()->SelectedItem(), Item("/All/FTP Sites"));
}

TEST_F(MainFrameTest, KeyboardMenusOpenTheSelectionsMenuAtTheTreeCorner) {
    StartDemo();
    // The window system turns the menu key into a keyboard context-menu
    // event for the focus widget; the offscreen platform does not, so the
    // test sends what the X11 and Wayland platforms send.
    auto menuKey = [&] {
        QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(0, 0),
                              View()->viewport()->mapToGlobal(QPoint(0, 0)));
        QApplication::sendEvent(View()->viewport(), &key);
    };
    auto shiftF10 = [&] { QTest::keyClick(View(), Qt::Key_F10, Qt::ShiftModifier); };
    const std::vector<std::tuple<std::string, std::function<void()>, std::string>> cases = {
        {"/All/FTP Sites/Demo server", shiftF10, "contextMenu171"},
        {"/All/Read me first", menuKey, "contextMenu102"},
    };
    for (const auto& [path, press, menuName] : cases) {
        View()->SelectItem(Item(path));
        View()->setFocus();
        QPoint at;
        std::string name;
        auto opened = uitest::WhenModal([&](QWidget* w) {
            at = w->pos();
            name = w->objectName().toStdString();
            w->close();
        });
        press();
        EXPECT_TRUE(*opened) << path;
        EXPECT_EQ(name, menuName);
        EXPECT_EQ(at, View()->viewport()->mapToGlobal(QPoint(5, 5)));
    }
}

TEST_F(MainFrameTest, ActivationByKind) {
    StartDemo();
    // A folder entry without children reads its contents file, and Enter
    // then opens it.
    TreeItem* games = Item("/All/Games");
    View()->SelectItem(games);
    View()->setFocus();
    QTest::keyClick(View(), Qt::Key_Return);
    EXPECT_EQ(uitest::ChildTexts(games), (std::vector<std::string>{"Tile puzzle", "Word ladder"}));
    EXPECT_TRUE(View()->isExpanded(View()->ViewIndex(games)));
    QTest::keyClick(View(), Qt::Key_Return);
    EXPECT_FALSE(View()->isExpanded(View()->ViewIndex(games)));

    // A folder whose contents file is missing is asked about.
    TreeItem* docs = Item("/All/Documents");
    fs::remove(env.DataDir() + "/Document.amb");
    View()->SelectItem(docs);
    View()->ActivateItem();
    EXPECT_EQ(env.prompt.Questions().back(),
              "I couldn't find that data file on your machine.\nWould you like me to get a new "
              "copy from the server?");

    // An ordinary item shows Item Properties; Cancel starts nothing.
    View()->SelectItem(Item("/All/Read me first"));
    QModelIndex readMe = View()->currentIndex();
    QString shown;
    auto answered = uitest::WhenModal([&](QWidget* w) {
        shown = w->windowTitle();
        w->close();
    });
    QTest::mouseDClick(View()->viewport(), Qt::LeftButton, {}, View()->visualRect(readMe).center());
    EXPECT_TRUE(*answered);
    EXPECT_EQ(shown, QStringLiteral("Item Properties"));
    EXPECT_TRUE(env.launcher.Started().empty());
}

TEST_F(MainFrameTest, NewVersionDownloadClosesTheProgramAfterTheSaveQuestion) {
    StartDemo();
    TreeItem* setup = AddEntry("/All/Ambit Setup", "The new version", "/pub/ambit12.exe");
    View()->Catalog().SetChanged();
    View()->SelectItem(setup);
    env.prompt.Answer(true);   // install the new version
    env.prompt.Answer(false);  // do not save the tree
    Action(ui::cmd::kDownloadMenu)->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(!frame->isVisible(), 5000);
    EXPECT_EQ(env.prompt.Questions(),
              (std::vector<std::string>{
                  "This is a new version of Ambit. Would you like me to download and install it? "
                  "(I will have to quit the program)",
                  "You have made changes to your tree, would you like to save them?"}));
    ASSERT_EQ(env.launcher.Started().size(), 1u);
    EXPECT_NE(env.launcher.Started()[0][1].find("$$1$$Y$$"), std::string::npos);
}

}  // namespace
