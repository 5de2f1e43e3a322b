// A picture of the main window with a loaded catalog and the demo FTP site
// open (a real server on 127.0.0.1), as a user sees it.
// It is saved when AMBIT_SCREENSHOT_DIR names a directory (make screenshot);
// either way the window must render with its bars.
#include <gtest/gtest.h>

#include <QMenuBar>
#include <QPixmap>
#include <QStatusBar>
#include <QTest>
#include <cstdlib>
#include <filesystem>

#include "catalog/catalog.h"
#include "catalog_finder.h"
#include "ftp_server.h"
#include "ftpsites/site_browser.h"
#include "ui/catalog_model.h"
#include "ui/client_view.h"
#include "ui/main_frame.h"
#include "ui/status_panes.h"
#include "ui_test_env.h"

namespace {

namespace fs = std::filesystem;

TEST(Screenshot, MainWindowWithALoadedCatalogAndAnOpenSite) {
    uitest::UiTestEnv env;
    testsupport::FtpServer server(std::string(AMBIT_SOURCE_DIR) + "/demo/map");
    ASSERT_TRUE(server.Started()) << server.Error();
    setenv("AMBIT_FTP_PORT", std::to_string(server.Port()).c_str(), 1);
    env.StoreKnownUser();
    const std::string demo = std::string(AMBIT_SOURCE_DIR) + "/demo/map/pub/Ambit/";
    fs::copy_file(demo + "first.amb", env.DataDir() + "/ambit.amb");
    for (const char* f : {"Games.amb", "Utilitie.amb", "Document.amb", "Compress.amb"})
        fs::copy_file(demo + f, env.DataDir() + "/" + f);

    ui::CMainFrame frame(ui::FrameOptions{env.DataDir(), 0});
    frame.resize(760, 560);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame, 5000));
    frame.View()->InitialUpdate();
    ui::CClientView* view = frame.View();
    catalog::CatalogTree& tree = view->Catalog().Tree();
    view->Catalog().LoadAllFolders();
    for (const char* folder : {"/All/Games", "/All/FTP Sites"})
        view->expand(view->ViewIndex(uitest::FindPath(tree, folder)));
    catalog::TreeItem* site = uitest::FindPath(tree, "/All/FTP Sites/Demo server");
    ASSERT_TRUE(view->Sites().OpenSite(site))
        << (env.prompt.Messages().empty() ? "" : env.prompt.Messages()[0]);
    catalog::TreeItem* files = uitest::FindPath(tree, "/All/FTP Sites/Demo server/files");
    ASSERT_NE(files, nullptr);
    ASSERT_TRUE(view->Sites().ListDirectory(files));
    view->SelectItem(uitest::FindPath(tree, "/All/FTP Sites/Demo server/files/readme.txt"));
    frame.UpdateCommands();
    EXPECT_EQ(frame.Panes().ConnectionText(), QStringLiteral("FTP"));

    QPixmap shot = frame.grab();
    EXPECT_TRUE(frame.menuBar()->isVisible());
    EXPECT_TRUE(frame.statusBar()->isVisible());
    if (const char* dir = std::getenv("AMBIT_SCREENSHOT_DIR")) {
        fs::create_directories(dir);
        EXPECT_TRUE(shot.save(QString::fromStdString(std::string(dir) + "/ambit-main-window.png")));
    }
}

}  // namespace
