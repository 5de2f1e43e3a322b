// Transfers started from the main window against a real FTP server on
// 127.0.0.1, carried out by skiff: the real program where it asks nothing,
// skiff's own dialog in this process where it asks what to do with the
// file. Command lines are read back with skiff's parser. Also the Transfer
// Log over records that real skiff runs wrote.
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
#include "skiff_process.h"
#include "store/scramble.h"
#include "transfer/transfer_command.h"
#include "transfer/transfer_dialog.h"
#include "transfer/what_to_do_dialog.h"
#include "ui/command_ids.h"
#include "ui/item_properties_dialog.h"
#include "ui/transfer_log_dialog.h"
#include "ui/upload_file_dialog.h"
#include "ui_test_env.h"

namespace {

namespace fs = std::filesystem;
using catalog::TreeItem;
using uitest::FindPath;

using uitest::ReadAll;

class TransfersTest : public uitest::WindowTest {
protected:
    // Catalog items log in as "ftp" with the user's e-mail address.
    static testsupport::FtpServer::Options Login() {
        testsupport::FtpServer::Options o;
        o.user = "ftp";
        o.password = "reader@example.org";
        return o;
    }

    TransfersTest() : server(root.Path(), Login()) {
        root.Write("home/ftp/pub/incoming/keep.txt", "k");
        setup = root.Write("home/ftp/files/setup.bin", Noise(300 * 1024 + 7));
        root.Write("home/ftp/files/notes.txt", "one\ntwo\n\nthree\n");
    }

    void SetUp() override {
        ASSERT_TRUE(server.Started()) << server.Error();
        setenv("AMBIT_FTP_PORT", std::to_string(server.Port()).c_str(), 1);
        env.StoreKnownUser();
        env.prompt.Answer(false);  // no ambit.amb: start with an empty tree
        StartWindow();
        catalog::CEntry s;
        s.Name = "Local";
        s.Location = "/All/FTP Sites/Local";
        s.Description = "FTPSITE";
        s.Address = "127.0.0.1";
        s.Path = "/home/ftp";
        s.DownloadDir = server.User();
        s.Price = store::Scramble(server.Password());
        site = Tree().InsertEntry(s);
        ASSERT_TRUE(View()->Sites().OpenSite(site));
        for (const char* dir : {"files", "pub", "pub/incoming"})
            ASSERT_TRUE(View()->Sites().ListDirectory(Item(dir)));
    }

    static std::string Noise(size_t n) {
        std::string s(n, '\0');
        unsigned x = 12345;
        for (char& c : s) c = static_cast<char>((x = x * 1103515245 + 12345) >> 16);
        return s;
    }

    TreeItem* Item(const std::string& below) {
        return FindPath(Tree(), "/All/FTP Sites/Local/" + below);
    }
    std::string DownloadDir() const { return env.DownloadDir(); }
    void Run(int command) { Action(command)->trigger(); }

    // Selects `item`, runs the command and acts on the dialog it shows.
    template <typename Dialog>
    bool WithDialog(TreeItem* item, int command, std::function<void(Dialog&)> act) {
        if (item) View()->SelectItem(item);
        frame->UpdateCommands();
        bool shown = false;
        auto ran = uitest::WhenModal([&](QWidget* w) {
            auto* d = qobject_cast<Dialog*>(w);
            shown = d != nullptr;
            if (d)
                act(*d);
            else
                w->close();
        });
        Run(command);
        return *ran && shown;
    }

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

    // The real program with the last argument.
    int RunRealSkiff() { return testsupport::RunSkiffProcess(lastArgument); }

    // skiff's dialog here, answering its question with Download Only.
    int RunSkiffHere() {
        transfer::TransferDialog dialog;
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [] {
            if (auto* d =
                    qobject_cast<transfer::WhatToDoDialog*>(QApplication::activeModalWidget()))
                d->Button(transfer::WhatToDoDialog::kDownloadOnly)->click();
        });
        answer.start(5);
        if (auto code = dialog.Initialize(lastArgument)) return *code;
        return dialog.Run();
    }

    std::vector<session::TransferLogRecord> Log() {
        std::string error;
        auto records = session::TransferLog::Read(session::TransferLog::Path(), &error);
        EXPECT_EQ(error, "");
        return records;
    }

    // What the window asks skiff for a file of the site's "files" directory.
    void ExpectSiteDownload(const transfer::TransferCommand& c, const std::string& file) {
        EXPECT_EQ(c.host, "127.0.0.1");
        EXPECT_EQ(c.remotePath, "/home/ftp/files/" + file);
        EXPECT_EQ(c.user, server.User());
        EXPECT_EQ(store::Unscramble(c.scrambledPassword), server.Password());
        EXPECT_EQ(c.localPath, DownloadDir() + "/" + file);
        EXPECT_TRUE(c.isDownload && c.isBinary);
        EXPECT_EQ(c.askFlag, "");
    }

    testsupport::TempDir root;
    testsupport::FtpServer server;
    std::string setup;
    TreeItem* site = nullptr;
    std::string lastArgument;
};

// The direct command and the toolbar's dispatch send a site file to the
// default download directory in binary; it arrives whole and is logged.
TEST_F(TransfersTest, ASiteFileDownloadedDirectlyArrivesAndIsLogged) {
    for (int command : {ui::cmd::kDownloadSiteFile, ui::cmd::kDownloadTool}) {
        View()->SelectItem(Item("files/setup.bin"));
        frame->UpdateCommands();
        ASSERT_TRUE(Action(command)->isEnabled());
        Run(command);
        transfer::TransferCommand c = LastSkiff();
        ExpectSiteDownload(c, "setup.bin");
        EXPECT_TRUE(c.modeKnown);
    }
    ASSERT_EQ(RunRealSkiff(), 0);
    EXPECT_EQ(ReadAll(DownloadDir() + "/setup.bin"), root.Read("home/ftp/files/setup.bin"));
    ASSERT_EQ(Log().size(), 1u);
    EXPECT_EQ(Log()[0].localPath, DownloadDir() + "/setup.bin");
    EXPECT_EQ(Log()[0].size, std::to_string(300 * 1024 + 7));
}

// Item Properties of a site file shows it and leaves the transfer to the
// window: ASCII arrives line for line, binary byte for byte, Cancel starts
// nothing.
TEST_F(TransfersTest, ItemPropertiesDownloadsASiteFileAsAsciiOrBinary) {
    struct Case {
        const char* file;
        bool ascii, cancel;
    } cases[] = {
        {"files/notes.txt", true, false},
        {"files/setup.bin", false, false},
        {"files/notes.txt", false, true},
    };
    for (const Case& c : cases) {
        const size_t before = Started();
        const std::string saveAs =
            DownloadDir() + "/sub dir/" + fs::path(c.file).filename().string();
        ASSERT_TRUE(WithDialog<ui::ItemPropertiesDialog>(
            Item(c.file), ui::cmd::kPropertiesPopupSite, [&](ui::ItemPropertiesDialog& d) {
                EXPECT_EQ(d.DownloadButton()->text(), QStringLiteral("Download"));
                EXPECT_FALSE(d.PriceRow()->isVisible());
                EXPECT_EQ(d.SaveAs(), DownloadDir() + "/" + fs::path(c.file).filename().string());
                Shot(&d, "item-properties-site-file.png");
                d.SaveAsEdit()->setText(QString::fromStdString(saveAs));
                d.AsciiBox()->setChecked(c.ascii);
                if (c.cancel)
                    d.reject();
                else
                    d.DownloadButton()->click();
            }));
        if (c.cancel) {
            EXPECT_EQ(Started(), before) << "Cancel starts nothing";
            continue;
        }
        transfer::TransferCommand t = LastSkiff();
        EXPECT_EQ(t.remotePath, std::string("/home/ftp/") + c.file);
        EXPECT_EQ(t.localPath, saveAs);
        EXPECT_EQ(t.isBinary, !c.ascii);
        EXPECT_EQ(t.askFlag, "N");
        EXPECT_TRUE(fs::is_directory(DownloadDir() + "/sub dir"))
            << "Download creates Save As' folder";
        ASSERT_EQ(RunSkiffHere(), 0);
        std::string got = ReadAll(saveAs);
        if (c.ascii) std::erase(got, '\r');
        EXPECT_EQ(got, root.Read(std::string("home/ftp/") + c.file)) << c.file;
    }
    EXPECT_EQ(Log().size(), 2u);
}

// A new version of the program is offered for installing; Yes hands it to
// skiff with "Y" and ends the main program, and skiff runs what arrived
// even though downloads arrive without execute permission.
TEST_F(TransfersTest, ANewVersionIsInstalledAfterTheMainProgramQuits) {
    root.Write("home/ftp/files/Ambit11.exe", "#!/bin/sh\necho installed > \"$0.ran\"\n");
    ASSERT_TRUE(View()->Sites().Refresh(Item("files")));
    for (bool yes : {false, true}) {
        env.prompt.Answer(yes);
        ASSERT_TRUE(WithDialog<ui::ItemPropertiesDialog>(
            Item("files/Ambit11.exe"), ui::cmd::kPropertiesPopupSite,
            [](ui::ItemPropertiesDialog& d) { d.DownloadButton()->click(); }));
        EXPECT_EQ(env.prompt.Questions().back(),
                  "This is a new version of Ambit. Would you like me to download and install it? "
                  "(I will have to quit the program)");
        EXPECT_EQ(LastSkiff().askFlag, yes ? "Y" : "N");
    }
    QTRY_VERIFY_WITH_TIMEOUT(!frame->isVisible(), 5000);
    ASSERT_EQ(RunRealSkiff(), 0);
    const std::string ran = DownloadDir() + "/Ambit11.exe.ran";
    QTRY_VERIFY_WITH_TIMEOUT(fs::exists(ran), 10000);
    EXPECT_EQ(ReadAll(ran), "installed\n");
}

// Uploads go into the selected directory (a file's own directory); with the
// site selected the joined path keeps its doubled "/". Cancel starts nothing.
TEST_F(TransfersTest, UploadsArriveAtTheJoinedRemotePath) {
    struct Case {
        const char* selected;
        const char* name;
        const char* remote;
        bool cancel;
    } cases[] = {
        {"pub/incoming", "readme.txt", "/home/ftp/pub/incoming/readme.txt", false},
        {"", "site.txt", "/home/ftp//site.txt", false},
        {"pub/incoming/keep.txt", "beside.txt", "/home/ftp/pub/incoming/beside.txt", false},
        {"pub", "never.txt", "", true},
    };
    for (const Case& c : cases) {
        const std::string local = env.dir.Write(std::string("up/") + c.name, Noise(5000));
        const size_t before = Started();
        TreeItem* target = *c.selected ? Item(c.selected) : site;
        ASSERT_TRUE(WithDialog<ui::UploadFileDialog>(target, ui::cmd::kUploadFile,
                                                     [&](ui::UploadFileDialog& d) {
                                                         d.FileEdit()->setText(
                                                             QString::fromStdString(local));
                                                         if (c.cancel)
                                                             d.reject();
                                                         else
                                                             d.accept();
                                                     }))
            << c.selected;
        if (c.cancel) {
            EXPECT_EQ(Started(), before);
            continue;
        }
        transfer::TransferCommand t = LastSkiff();
        EXPECT_EQ(t.remotePath, c.remote);
        EXPECT_EQ(t.localPath, local);
        EXPECT_FALSE(t.isDownload);
        EXPECT_TRUE(t.isBinary);
        ASSERT_EQ(RunRealSkiff(), 0) << c.remote;
        std::string remote = c.remote;
        EXPECT_EQ(ReadAll(root.Path() + remote), Noise(5000)) << remote;
    }
    EXPECT_TRUE(Log().empty()) << "uploads are not logged";
}

// A catalog item goes below the default download directory ("\" from data
// files made elsewhere separates too); one that would be written anywhere
// else is shown in Item Properties first, and Cancel there writes nothing.
TEST_F(TransfersTest, CatalogItemsLandBelowTheDefaultDirectoryOrAreShownFirst) {
    testsupport::TempDir elsewhere;
    struct Case {
        std::string downloadDir;
        int command;
        std::string local;  // "" when Item Properties must come instead
    } cases[] = {
        {"[default]\\games", ui::cmd::kDownloadCatalogItem, DownloadDir() + "/games/notes.txt"},
        {"[default]/../../.config/autostart", ui::cmd::kDownloadTool,
         DownloadDir() + "/.config/autostart/notes.txt"},
        {elsewhere.File("autostart"), ui::cmd::kDownloadCatalogItem, ""},
        {elsewhere.File("autostart"), ui::cmd::kDownloadTool, ""},
    };
    int n = 0;
    for (const Case& c : cases) {
        catalog::CEntry e;
        e.Name = "Notes " + std::to_string(++n);
        e.Location = "/All/" + e.Name;
        e.Address = "127.0.0.1";
        e.Path = "/home/ftp/files/notes.txt";
        e.DownloadDir = c.downloadDir;
        TreeItem* item = Tree().InsertEntry(e);
        const size_t before = Started();
        if (c.local.empty()) {
            std::string shown;
            ASSERT_TRUE(WithDialog<ui::ItemPropertiesDialog>(item, c.command,
                                                             [&](ui::ItemPropertiesDialog& d) {
                                                                 shown = d.SaveAs();
                                                                 d.reject();
                                                             }));
            EXPECT_EQ(shown, elsewhere.File("autostart/notes.txt"));
            EXPECT_EQ(Started(), before);
            EXPECT_FALSE(fs::exists(elsewhere.File("autostart")));
            continue;
        }
        View()->SelectItem(item);
        frame->UpdateCommands();
        Run(c.command);
        transfer::TransferCommand t = LastSkiff();
        EXPECT_EQ(t.localPath, c.local);
        EXPECT_EQ(t.user, "ftp");
        ASSERT_EQ(RunSkiffHere(), 0)
            << (env.prompt.Messages().empty() ? "" : env.prompt.Messages().back());
        EXPECT_EQ(ReadAll(c.local), "one\ntwo\n\nthree\n");
    }
}

// The Transfer Log over records of real skiff runs and older ones.
TEST_F(TransfersTest, TheTransferLogShowsSortsAndActsOnRecords) {
    for (const char* file : {"files/setup.bin", "files/notes.txt"}) {
        View()->SelectItem(Item(file));
        Run(ui::cmd::kDownloadSiteFile);
        LastSkiff();
        ASSERT_EQ(RunRealSkiff(), 0) << file;
    }
    auto add = [&](const std::string& record) {
        ASSERT_TRUE(platform::AppendToStringArrayFile(session::TransferLog::Path(), record));
    };
    add("old.zip$$h$$/d/old.zip$$UnZip$$12/31/99-23:59$$10$$NONE$$/old.zip$$ftp$$AA$$0.00$$");
    add("y2k.txt$$h$$/d/y2k.txt$$View$$01/01/00-00:01$$20$$NONE$$/y2k.txt$$ftp$$AA$$0.00$$");
    add("bought.zip$$h$$/d/b.zip$$None$$06/01/26-10:00$$30$$NONE$$/b.zip$$Pat$$AA$$9.95$$");
    fs::remove(DownloadDir() + "/notes.txt");
    const size_t before = Started();

    ASSERT_TRUE(WithDialog<ui::TransferLogDialog>(
        nullptr, ui::cmd::kTransferLog, [&](ui::TransferLogDialog& d) {
            using session::TransferLog;
            QTreeWidget* list = d.List();
            ASSERT_EQ(list->topLevelItemCount(), 5);
            auto rowOf = [&](const QString& name) {
                for (int i = 0; i < list->topLevelItemCount(); ++i)
                    if (list->topLevelItem(i)->text(0) == name) return i;
                return -1;
            };
            // A click on the Date header sorts (the orders themselves are
            // the session's tests): 1999 is the oldest.
            QHeaderView* header = list->header();
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              QPoint(header->sectionViewportPosition(TransferLog::kDate) + 5, 5));
            EXPECT_EQ(rowOf("old.zip"), 4);
            Shot(&d, "transfer-log.png");

            list->setCurrentItem(list->topLevelItem(rowOf("old.zip")));
            EXPECT_TRUE(d.Button(TransferLog::kUnzip)->isDefault());
            EXPECT_TRUE(d.Button(TransferLog::kDownloadAgain)->isEnabled());
            list->setCurrentItem(list->topLevelItem(rowOf("bought.zip")));
            EXPECT_FALSE(d.Button(TransferLog::kDownloadAgain)->isEnabled());
            EXPECT_TRUE(d.Button(TransferLog::kNoAction)->isDefault());

            // The deleted file is offered again (the question is the
            // session's); Yes starts skiff.
            list->setCurrentItem(list->topLevelItem(rowOf("notes.txt")));
            env.prompt.Answer(true);
            d.Button(TransferLog::kOpenAsText)->click();
            d.reject();
        }));
    ASSERT_EQ(Started(), before + 1);
    ExpectSiteDownload(LastSkiff(), "notes.txt");
}

}  // namespace
