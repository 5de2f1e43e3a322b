// Editing the catalog from the real window, offscreen: every command runs
// through its action and real dialog, drops go through the model's own
// drag data. Undo and redo are judged by the data files a save writes,
// which must come back byte for byte. Which drops and deletions are allowed
// at all is the catalog's test.
#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <map>

#include "catalog/command_rules.h"
#include "store/scramble.h"
#include "ui/add_item_chooser.h"
#include "ui/catalog_editor.h"
#include "ui/command_ids.h"
#include "ui/folder_name_dialog.h"
#include "ui/item_config_dialog.h"
#include "ui/new_ftp_site_dialog.h"
#include "ui/server_config_dialog.h"
#include "ui_test_env.h"

namespace {

namespace fs = std::filesystem;
using catalog::TreeItem;
using uitest::ChildTexts;

// Tools (a plain folder) holds an item and a folder of its own; Games is a
// folder entry whose contents file holds one item.
const char* const kAmbitAmb =
    "%Internet Ambit Data File %ver=\"1.0\"\n"
    "CNAME=/All/Games:Games.amb:maps.example.org/adf/games.adf\n"
    "/All/Tools/zip:Packs "
    "files:0.00:127.0.0.1:/pub/zip.zip:01/01/26:100:[default]\n"
    "/All/Tools/Old/tar:Old "
    "packer:0.00:127.0.0.1:/pub/tar.zip:01/01/90:10:[default]\n";
const char* const kGamesAmb =
    "%Internet Ambit Data File %ver=\"1.0\"\n"
    "/All/Games/tetris:Blocks:0.00:127.0.0.1:/pub/"
    "tetris.zip:01/01/26:300:[default]\n";

class TreeEditingTest : public uitest::WindowTest {
protected:
    void Start() {
        env.StoreKnownUser();
        std::ofstream(env.DataDir() + "/ambit.amb") << kAmbitAmb;
        std::ofstream(env.DataDir() + "/Games.amb") << kGamesAmb;
        StartWindow(true);
        Cat().LoadAllFolders();
        View()->expandAll();
    }

    // Presses OK and expects the dialog to stay open with `message`
    // (or to close when the message is empty).
    void ExpectOk(QDialog* dialog, const std::string& message) {
        const size_t shown = env.prompt.Messages().size();
        QMetaObject::invokeMethod(dialog, "accept");
        if (message.empty()) {
            EXPECT_FALSE(dialog->isVisible()) << env.prompt.Messages().back();
            return;
        }
        ASSERT_EQ(env.prompt.Messages().size(), shown + 1) << message;
        EXPECT_EQ(env.prompt.Messages().back(), message);
        EXPECT_TRUE(dialog->isVisible());
    }

    bool Drop(TreeItem* dragged, TreeItem* target) {
        ui::CatalogModel* model = View()->Model();
        std::unique_ptr<QMimeData> data(model->mimeData({model->IndexOf(dragged)}));
        return model->dropMimeData(data.get(), Qt::MoveAction, -1, 0, model->IndexOf(target));
    }

    // Every data file a save writes, by name.
    std::map<std::string, std::string> Saved() {
        EXPECT_TRUE(Cat().SaveCatalog());
        View()->Editor().Saved();
        std::map<std::string, std::string> files;
        for (const auto& f : fs::directory_iterator(env.DataDir()))
            if (f.is_regular_file()) files[f.path().filename()] = uitest::ReadAll(f.path());
        return files;
    }
};

TEST_F(TreeEditingTest, NewFolderAndAddCheckTheirFieldsAndPlaceWhatTheyMake) {
    Start();
    Select("/All/Tools");
    RunDialog<ui::FolderNameDialog>(ui::cmd::kNewFolderMenu, [this](ui::FolderNameDialog* d) {
        d->NameEdit()->setText(QStringLiteral("   "));
        ExpectOk(d, "You forgot to enter a name.");
        d->NameEdit()->setText(QStringLiteral("a:b"));
        ExpectOk(d, "Please do not use colons in the name.");
        d->NameEdit()->setText(QStringLiteral(" Docs "));
        ExpectOk(d, "");
    });
    EXPECT_EQ(ChildTexts(Item("/All/Tools")), (std::vector<std::string>{"Docs", "Old", "zip"}));
    EXPECT_TRUE(Cat().Changed());

    // Add below a folder entry: each field's check in turn, colons refused
    // in any field a data-file line separates with them.
    Select("/All/Games");
    RunDialog<ui::ItemConfigDialog>(ui::cmd::kAddMenu, [this](ui::ItemConfigDialog* d) {
        const struct {
            QLineEdit* field;
            const char* text;
            const char* message;
        } steps[] = {
            {d->NameEdit(), " ", "You forgot to enter a name."},
            {d->NameEdit(), "Chess", "You forgot to enter an address."},
            {d->AddressEdit(), "host:2121", "You forgot to enter a path."},
            {d->PathEdit(), "/pub/x/chess.zip", "Please do not use colons in the description."},
            {d->SizeEdit(), "12", "Please do not use colons in the address."},
            {d->AddressEdit(), "127.0.0.1", ""},
        };
        d->DescriptionEdit()->setPlainText(QStringLiteral("Moves: many"));
        d->DownloadDirEdit()->setText(QStringLiteral("d"));
        for (const auto& s : steps) {
            if (s.field == d->SizeEdit()) d->DescriptionEdit()->setPlainText(QStringLiteral("ok"));
            s.field->setText(QString::fromUtf8(s.text));
            ExpectOk(d, s.message);
        }
    });
    TreeItem* chess = Item("/All/Games/Chess");
    ASSERT_NE(chess, nullptr);
    EXPECT_EQ(ChildTexts(Item("/All/Games")).back(), "Chess") << "appended, not sorted";
    EXPECT_EQ(chess->Entry()->DownloadDir, "[default]");
    EXPECT_EQ(chess->Entry()->Location, "/All/Games/Chess");

    // The next Add, from the chooser, offers the last address, path
    // directory and download directory; with an item selected it adds
    // beside it.
    Select("/All/Tools/zip");
    RunDialog<ui::AddItemChooser>(ui::cmd::kAddKey, [this](ui::AddItemChooser* c) {
        auto added = uitest::WhenModal([this](QWidget* w) {
            auto* d = qobject_cast<ui::ItemConfigDialog*>(w);
            ASSERT_NE(d, nullptr);
            EXPECT_EQ(d->AddressEdit()->text(), QStringLiteral("127.0.0.1"));
            EXPECT_EQ(d->PathEdit()->text(), QStringLiteral("/pub/x/"));
            EXPECT_EQ(d->DownloadDirEdit()->text(), QStringLiteral("d"));
            d->NameEdit()->setText(QStringLiteral("gzip"));
            d->PathEdit()->setText(QStringLiteral("/pub/x/gzip.zip"));
            ExpectOk(d, "");
        });
        c->Button(ui::AddItemChooser::File)->click();
    });
    EXPECT_NE(Item("/All/Tools/gzip"), nullptr);
}

TEST_F(TreeEditingTest, EditsByKindAndTheChangedFlagTheyLeave) {
    Start();
    ASSERT_FALSE(Cat().Changed());
    // F2 edits the selection, Insert adds an item.
    Select("/All/Tools");
    View()->setFocus();
    for (auto [key, caption] : {std::pair{Qt::Key_F2, "Change Folder Name"},
                                std::pair{Qt::Key_Insert, "Item Configuration"}}) {
        auto shown = uitest::WhenModal([caption](QWidget* w) {
            EXPECT_EQ(w->windowTitle().toStdString(), caption);
            qobject_cast<QDialog*>(w)->reject();
        });
        QTest::keyClick(View(), key);
        QTRY_VERIFY_WITH_TIMEOUT(*shown, 5000);
    }
    // A plain folder's new name reaches the stored locations below it; the
    // catalog does not count as changed.
    RunDialog<ui::FolderNameDialog>(ui::cmd::kEditMenu, [this](ui::FolderNameDialog* d) {
        EXPECT_EQ(d->NameEdit()->text(), QStringLiteral("Tools"));
        d->NameEdit()->setText(QStringLiteral("Utilities"));
        ExpectOk(d, "");
    });
    ASSERT_NE(Item("/All/Utilities/Old/tar"), nullptr);
    EXPECT_EQ(Item("/All/Utilities/Old/tar")->Entry()->Location, "/All/Utilities/Old/tar");
    EXPECT_FALSE(Cat().Changed());

    // A folder entry: the address split at its first "/" and joined again.
    Select("/All/Games");
    RunDialog<ui::ServerConfigDialog>(ui::cmd::kEditMenu, [this](ui::ServerConfigDialog* d) {
        EXPECT_EQ(d->AddressEdit()->text(), QStringLiteral("maps.example.org"));
        EXPECT_EQ(d->PathEdit()->text(), QStringLiteral("/adf/games.adf"));
        d->AddressEdit()->setText(QStringLiteral("maps.example.org:21"));
        ExpectOk(d, "Please do not use colons in the address.");
        d->AddressEdit()->setText(QStringLiteral("other.example.org"));
        ExpectOk(d, "");
    });
    EXPECT_EQ(Item("/All/Games")->Entry()->Address, "other.example.org/adf/games.adf");
    EXPECT_FALSE(Cat().Changed());

    // An item: its fields come and go back through the same dialog.
    Select("/All/Games/tetris");
    RunDialog<ui::ItemConfigDialog>(ui::cmd::kEditPopup, [this](ui::ItemConfigDialog* d) {
        EXPECT_EQ(d->DescriptionEdit()->toPlainText(), QStringLiteral("Blocks"));
        d->NameEdit()->setText(QStringLiteral("Tetris 2"));
        d->PriceEdit()->setText(QStringLiteral("12.50"));
        ExpectOk(d, "");
    });
    ASSERT_NE(Item("/All/Games/Tetris 2"), nullptr);
    EXPECT_EQ(Item("/All/Games/Tetris 2")->Entry()->Price, "12.50");
    EXPECT_TRUE(Cat().Changed());

    // Delete asks first; No keeps the item.
    env.prompt.Answer(false);
    Select("/All/Games/Tetris 2");
    Action(ui::cmd::kDeleteKey)->trigger();
    EXPECT_EQ(env.prompt.Questions().back(), "Are you sure you want to delete Tetris 2?");
    EXPECT_NE(Item("/All/Games/Tetris 2"), nullptr);
    env.prompt.Answer(true);
    Action(ui::cmd::kDeleteKey)->trigger();
    EXPECT_EQ(Item("/All/Games/Tetris 2"), nullptr);

    // Deleting a map file's entry removes its file, which lives in MapFiles.
    fs::create_directories(env.DataDir() + "/MapFiles");
    std::ofstream(env.DataDir() + "/MapFiles/map.amb") << "x";
    catalog::CEntry map;
    map.Name = "map";
    map.DownloadDir = "map.amb";
    map.Location = "/All/MapFiles/map";
    map.Description = catalog::kMapFileDescription;
    View()->SelectItem(Tree().InsertEntry(map));
    env.prompt.Answer(true);
    Action(ui::cmd::kDeleteMapFile)->trigger();
    EXPECT_EQ(Item(map.Location), nullptr);
    EXPECT_FALSE(fs::exists(env.DataDir() + "/MapFiles/map.amb"));
}

TEST_F(TreeEditingTest, NewSiteConnectsDropsAFileAndMovesWhileOpen) {
    testsupport::TempDir root;
    root.Write("pub/readme.txt", "hello");
    testsupport::FtpServer server(root.Path());
    ASSERT_TRUE(server.Started()) << server.Error();
    setenv("AMBIT_FTP_PORT", std::to_string(server.Port()).c_str(), 1);
    Start();

    // The address follows the name until Connect; both must be given.
    RunDialog<ui::NewFtpSiteDialog>(ui::cmd::kNewFtpSiteTool, [this](ui::NewFtpSiteDialog* d) {
        EXPECT_EQ(d->PasswordEdit()->text(), QStringLiteral("reader@example.org"));
        EXPECT_EQ(d->PasswordEdit()->echoMode(), QLineEdit::Password);
        Shot(d, "new-ftp-site.png");
        QTest::keyClicks(d->NameEdit(), QStringLiteral("ab"));
        d->AddressEdit()->setText(QStringLiteral("typed.example.org"));
        QTest::keyClick(d->NameEdit(), Qt::Key_Backspace);
        EXPECT_EQ(d->AddressEdit()->text(), QStringLiteral("ftp.a.com"));
        d->AddressEdit()->clear();
        d->ConnectButton()->click();
        EXPECT_EQ(env.prompt.Messages().back(), "You need to enter an address.");
        d->AddressEdit()->setText(QStringLiteral("127.0.0.1"));
        d->NameEdit()->setText(QStringLiteral(" "));
        d->ConnectButton()->click();
        EXPECT_EQ(env.prompt.Messages().back(), "You need to enter a name for this site.");
        d->NameEdit()->setText(QStringLiteral("Local"));
        d->AddressEdit()->setText(QStringLiteral("127.0.0.1"));
        d->ConnectButton()->click();
    });
    TreeItem* site = Item("/All/FTP Sites/Local");
    ASSERT_NE(site, nullptr);
    EXPECT_EQ(store::Unscramble(site->Entry()->Price), "reader@example.org");
    EXPECT_EQ(ChildTexts(site), std::vector<std::string>{"readme.txt"}) << "Connect opens it";

    // A file of the open site dropped on a plain folder becomes a catalog
    // item there; the listing keeps it.
    EXPECT_TRUE(Drop(Item("/All/FTP Sites/Local/readme.txt"), Item("/All/Tools")));
    TreeItem* copy = Item("/All/Tools/readme.txt");
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->Entry()->Kind(), catalog::EntryKind::Item);
    EXPECT_EQ(copy->Entry()->Address + copy->Entry()->Path, "127.0.0.1/pub/readme.txt");
    EXPECT_EQ(copy->Entry()->DownloadDir, View()->Session().Settings().downloadDir);
    EXPECT_EQ(ChildTexts(site), std::vector<std::string>{"readme.txt"});

    // The open site moves with its listing.
    EXPECT_TRUE(Drop(site, Item("/All/Tools")));
    TreeItem* moved = Item("/All/Tools/Local/readme.txt");
    ASSERT_NE(moved, nullptr);
    EXPECT_EQ(moved->Entry()->Location, "/All/Tools/Local/readme.txt");
    Shot(frame.get(), "tree-after-drop.png");

    // Edit shows the password in clear in a hidden field and stores it
    // scrambled; the address no longer follows the name.
    Select("/All/Tools/Local");
    RunDialog<ui::NewFtpSiteDialog>(ui::cmd::kEditMenu, [this](ui::NewFtpSiteDialog* d) {
        EXPECT_EQ(d->PasswordEdit()->text(), QStringLiteral("reader@example.org"));
        d->NameEdit()->setText(QStringLiteral("Home"));
        EXPECT_EQ(d->AddressEdit()->text(), QStringLiteral("127.0.0.1"));
        d->PasswordEdit()->setText(QStringLiteral("pw"));
        ExpectOk(d, "");
    });
    site = Item("/All/Tools/Home");
    ASSERT_NE(site, nullptr);
    EXPECT_EQ(store::Unscramble(site->Entry()->Price), "pw");
}

TEST_F(TreeEditingTest, UndoAndRedoOfEachKindOfChangeRestoreTheSavedFiles) {
    Start();
    // A drop the rules refuse changes nothing and leaves nothing to undo.
    EXPECT_FALSE(Drop(Item("/All/Tools"), Item("/All/Tools/Old")));
    EXPECT_FALSE(Cat().Changed());
    EXPECT_FALSE(View()->Editor().CanUndo());

    const struct {
        const char* name;
        std::function<void()> change;
    } changes[] = {
        {"add",
         [&] {
             Select("/All/Games");
             RunDialog<ui::ItemConfigDialog>(ui::cmd::kAddMenu, [this](ui::ItemConfigDialog* d) {
                 d->NameEdit()->setText(QStringLiteral("Pong"));
                 d->AddressEdit()->setText(QStringLiteral("h"));
                 d->PathEdit()->setText(QStringLiteral("/p"));
                 ExpectOk(d, "");
             });
         }},
        {"rename",
         [&] {
             Select("/All/Tools");
             RunDialog<ui::FolderNameDialog>(ui::cmd::kEditTool, [this](ui::FolderNameDialog* d) {
                 d->NameEdit()->setText(QStringLiteral("Utilities"));
                 ExpectOk(d, "");
             });
         }},
        {"delete",
         [&] {
             env.prompt.Answer(true);
             Select("/All/Tools");
             Action(ui::cmd::kDeleteMenu)->trigger();
         }},
        {"move", [&] { EXPECT_TRUE(Drop(Item("/All/Tools"), Item("/All/Games/tetris"))); }},
    };
    for (const auto& c : changes) {
        SCOPED_TRACE(c.name);
        const auto before = Saved();
        const size_t questions = env.prompt.Questions().size();
        c.change();
        const auto after = Saved();
        EXPECT_NE(after, before);
        Action(ui::cmd::kUndo)->trigger();
        EXPECT_EQ(env.prompt.Questions().size(), questions + (c.name == std::string("delete")))
            << "undo asks nothing";
        EXPECT_EQ(Saved(), before);
        Action(ui::cmd::kRedo)->trigger();
        EXPECT_EQ(Saved(), after);
        Action(ui::cmd::kUndo)->trigger();  // back to the start for the next change
    }

    // Undoing back to the saved state clears the changed flag; redo sets it.
    Saved();
    EXPECT_TRUE(Drop(Item("/All/Games"), Item("/All/Tools")));
    EXPECT_EQ(ChildTexts(Item("/All/Tools/Games")), std::vector<std::string>{"tetris"});
    EXPECT_TRUE(Cat().Changed());
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get(), 5000));
    QTest::keySequence(View(), QKeySequence(Qt::CTRL | Qt::Key_Z));
    EXPECT_FALSE(Cat().Changed());
    EXPECT_NE(Item("/All/Games"), nullptr);
    QTest::keySequence(View(), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    EXPECT_TRUE(Cat().Changed());
}

}  // namespace
