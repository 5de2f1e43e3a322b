// Transfers started from the main window against a real FTP server on
// 127.0.0.1. One download goes all the way through the real skiff; the
// others are judged by the command line skiff gets, read back with skiff's
// own parser (skiff's own tests carry the transfer from there).
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <filesystem>

#include "ftpsites/site_browser.h"
#include "platform/string_array_file.h"
#include "session/transfer_log.h"
#include "site_entry.h"
#include "skiff_process.h"
#include "store/scramble.h"
#include "transfer/transfer_command.h"
#include "ui/command_ids.h"
#include "ui/item_properties_dialog.h"
#include "ui/transfer_log_dialog.h"
#include "ui/upload_file_dialog.h"
#include "ui_test_env.h"

namespace {

namespace fs = std::filesystem;
using catalog::TreeItem;
using uitest::ReadAll;

class TransfersTest : public uitest::WindowTest {
protected:
    TransfersTest() : server(root.Path(), uitest::FtpUserLogin("reader@example.org")) {
        root.Write("home/ftp/pub/incoming/keep.txt", "k");
        root.Write("home/ftp/files/setup.bin", std::string(300 * 1024 + 7, '\xa5'));
        root.Write("home/ftp/files/notes.txt", "one\ntwo\n");
        root.Write("home/ftp/files/Ambit11.exe", "#!/bin/sh\n");
    }

    void SetUp() override {
        ASSERT_TRUE(server.Started()) << server.Error();
        setenv("AMBIT_FTP_PORT", std::to_string(server.Port()).c_str(), 1);
        env.StoreKnownUser();
        env.prompt.Answer(false);  // no ambit.amb: start with an empty tree
        StartWindow();
        site = Tree().InsertEntry(
            testsupport::SiteEntry("Local", server.User(), server.Password(), "/home/ftp"));
        ASSERT_TRUE(View()->Sites().OpenSite(site));
        for (const char* dir : {"files", "pub", "pub/incoming"})
            ASSERT_TRUE(View()->Sites().ListDirectory(Item(dir)));
    }

    TreeItem* Item(const std::string& below) {
        return uitest::FindPath(Tree(), "/All/FTP Sites/Local/" + below);
    }
    std::string DownloadDir() const { return env.DownloadDir(); }

    size_t Started() const { return env.launcher.Started().size(); }
    // The last start of skiff, read with skiff's parser.
    transfer::TransferCommand LastSkiff() {
        EXPECT_GT(Started(), 0u);
        if (Started() == 0) return {};
        const auto& argv = env.launcher.Started().back();
        EXPECT_EQ(argv.size(), 2u);
        EXPECT_EQ(fs::path(argv[0]).filename(), "skiff");
        lastArgument = argv.back();
        return transfer::ParseTransferCommand(argv.back());
    }

    testsupport::TempDir root;
    testsupport::FtpServer server;
    TreeItem* site = nullptr;
    std::string lastArgument;
};

// The direct command and the toolbar's dispatch send a site file to the
// default download directory; the real skiff fetches it whole and logs it.
TEST_F(TransfersTest, ASiteFileDownloadedDirectlyArrivesAndIsLogged) {
    for (int command : {ui::cmd::kDownloadSiteFile, ui::cmd::kDownloadTool}) {
        View()->SelectItem(Item("files/setup.bin"));
        frame->UpdateCommands();
        ASSERT_TRUE(Action(command)->isEnabled());
        Action(command)->trigger();
        transfer::TransferCommand c = LastSkiff();
        EXPECT_EQ(c.host, "127.0.0.1");
        EXPECT_EQ(c.remotePath, "/home/ftp/files/setup.bin");
        EXPECT_EQ(c.user, server.User());
        EXPECT_EQ(store::Unscramble(c.scrambledPassword), server.Password());
        EXPECT_EQ(c.localPath, DownloadDir() + "/setup.bin");
        EXPECT_TRUE(c.isDownload && c.isBinary && c.modeKnown);
        EXPECT_EQ(c.askFlag, "");
    }
    ASSERT_EQ(testsupport::RunSkiffProcess(lastArgument), 0);
    EXPECT_EQ(ReadAll(DownloadDir() + "/setup.bin"), root.Read("home/ftp/files/setup.bin"));
    std::string error;
    auto log = session::TransferLog::Read(session::TransferLog::Path(), &error);
    ASSERT_EQ(log.size(), 1u) << error;
    EXPECT_EQ(log[0].size, std::to_string(300 * 1024 + 7));
}

// Item Properties of a site file hands skiff the Save As path (its folder
// made first) and the chosen mode; a new version, once the user agrees,
// is installed after the main window has closed.
TEST_F(TransfersTest, ItemPropertiesDownloadsASiteFileAsAsciiOrBinary) {
    const struct {
        const char* file;
        bool ascii;
        const char* askFlag;
    } cases[] = {
        {"files/notes.txt", true, "N"},
        {"files/setup.bin", false, "N"},
        {"files/Ambit11.exe", false, "Y"},  // last: it closes the window
    };
    env.prompt.Answer(true);  // install the new version
    const size_t asked = env.prompt.Questions().size();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string name = fs::path(c.file).filename().string();
        const std::string saveAs = DownloadDir() + "/sub dir/" + name;
        View()->SelectItem(Item(c.file));
        RunDialog<ui::ItemPropertiesDialog>(ui::cmd::kPropertiesPopupSite, [&](auto* d) {
            EXPECT_EQ(d->SaveAs(), DownloadDir() + "/" + name);
            d->SaveAsEdit()->setText(QString::fromStdString(saveAs));
            d->AsciiBox()->setChecked(c.ascii);
            d->DownloadButton()->click();
        });
        transfer::TransferCommand t = LastSkiff();
        EXPECT_EQ(t.remotePath, std::string("/home/ftp/") + c.file);
        EXPECT_EQ(t.localPath, saveAs);
        EXPECT_EQ(t.isBinary, !c.ascii);
        EXPECT_EQ(t.askFlag, c.askFlag);
        EXPECT_TRUE(fs::is_directory(DownloadDir() + "/sub dir"));
    }
    EXPECT_EQ(env.prompt.Questions().size(), asked + 1) << "only the new version is asked about";
    QTRY_VERIFY_WITH_TIMEOUT(!frame->isVisible(), 5000);
}

// Uploads go into the selected directory (a file's own directory); with the
// site selected the joined path keeps its doubled "/". Cancel starts nothing.
TEST_F(TransfersTest, UploadsGoToTheJoinedRemotePath) {
    const struct {
        const char* selected;
        const char* remote;  // "": cancelled
    } cases[] = {
        {"pub/incoming", "/home/ftp/pub/incoming/up.txt"},
        {"", "/home/ftp//up.txt"},
        {"pub/incoming/keep.txt", "/home/ftp/pub/incoming/up.txt"},
        {"pub", ""},
    };
    const std::string local = env.dir.Write("up/up.txt", "up");
    for (const auto& c : cases) {
        const size_t before = Started();
        View()->SelectItem(*c.selected ? Item(c.selected) : site);
        RunDialog<ui::UploadFileDialog>(ui::cmd::kUploadFile, [&](auto* d) {
            d->FileEdit()->setText(QString::fromStdString(local));
            *c.remote ? d->accept() : d->reject();
        });
        if (!*c.remote) {
            EXPECT_EQ(Started(), before);
            continue;
        }
        transfer::TransferCommand t = LastSkiff();
        EXPECT_EQ(t.remotePath, c.remote);
        EXPECT_EQ(t.localPath, local);
        EXPECT_FALSE(t.isDownload);
    }
}

// A catalog item that would be written outside the default download
// directory is shown in Item Properties first, and Cancel there writes
// nothing (where each item goes is the catalog's test).
TEST_F(TransfersTest, ACatalogItemBoundElsewhereIsShownFirst) {
    catalog::CEntry e;
    e.Name = "Notes";
    e.Location = "/All/Notes";
    e.Address = "127.0.0.1";
    e.Path = "/home/ftp/files/notes.txt";
    testsupport::TempDir elsewhere;
    e.DownloadDir = elsewhere.File("autostart");
    View()->SelectItem(Tree().InsertEntry(e));
    std::string shown;
    RunDialog<ui::ItemPropertiesDialog>(ui::cmd::kDownloadTool, [&](auto* d) {
        shown = d->SaveAs();
        d->reject();
    });
    EXPECT_EQ(shown, elsewhere.File("autostart/notes.txt"));
    EXPECT_EQ(Started(), 0u);
    EXPECT_FALSE(fs::exists(elsewhere.File("autostart")));
}

// The Transfer Log dialog (the orders and actions themselves are the
// session's tests): a header click sorts, the buttons follow the record.
TEST_F(TransfersTest, TheTransferLogDialogSortsAndActsOnRecords) {
    for (const char* record :
         {"old.zip$$h$$/d/old.zip$$UnZip$$12/31/99-23:59$$10$$NONE$$/old.zip$$ftp$$AA$$0.00$$",
          "y2k.txt$$h$$/d/y2k.txt$$View$$01/01/00-00:01$$20$$NONE$$/y2k.txt$$ftp$$AA$$0.00$$",
          "bought.zip$$h$$/d/b.zip$$None$$06/01/26-10:00$$30$$NONE$$/b.zip$$Pat$$AA$$9.95$$"})
        ASSERT_TRUE(platform::AppendToStringArrayFile(session::TransferLog::Path(), record));
    RunDialog<ui::TransferLogDialog>(ui::cmd::kTransferLog, [&](auto* d) {
        using session::TransferLog;
        QTreeWidget* list = d->List();
        ASSERT_EQ(list->topLevelItemCount(), 3);
        auto select = [&](const QString& name) {
            for (int i = 0; i < list->topLevelItemCount(); ++i)
                if (list->topLevelItem(i)->text(0) == name) {
                    list->setCurrentItem(list->topLevelItem(i));
                    return i;
                }
            return -1;
        };
        QHeaderView* header = list->header();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(TransferLog::kDate) + 5, 5));
        EXPECT_EQ(select("old.zip"), 2) << "1999 is the oldest";
        Shot(d, "transfer-log.png");
        EXPECT_TRUE(d->Button(TransferLog::kUnzip)->isDefault());
        select("bought.zip");
        EXPECT_FALSE(d->Button(TransferLog::kDownloadAgain)->isEnabled());
        EXPECT_TRUE(d->Button(TransferLog::kNoAction)->isDefault());

        // The file is gone: it is offered again, and Yes starts skiff.
        select("y2k.txt");
        env.prompt.Answer(true);
        d->Button(TransferLog::kOpenAsText)->click();
        d->reject();
    });
    ASSERT_EQ(Started(), 1u);
    EXPECT_EQ(LastSkiff().remotePath, "/y2k.txt");
}

}  // namespace
