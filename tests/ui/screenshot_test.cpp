// A picture of the main window with a loaded catalog, as a user sees it.
// It is saved when AMBIT_SCREENSHOT_DIR names a directory (make screenshot);
// either way the window must render at a desktop size with its bars.
#include <gtest/gtest.h>

#include <QImage>
#include <QMenuBar>
#include <QPixmap>
#include <QStatusBar>
#include <QTest>
#include <QToolBar>

#include <cstdlib>
#include <filesystem>

#include "catalog/catalog.h"
#include "catalog_finder.h"
#include "ui/catalog_model.h"
#include "ui/client_view.h"
#include "ui/main_frame.h"
#include "ui_test_env.h"

namespace {

namespace fs = std::filesystem;

TEST(Screenshot, MainWindowWithALoadedCatalog) {
    uitest::UiTestEnv env;
    env.StoreKnownUser();
    const std::string demo = std::string(AMBIT_SOURCE_DIR) + "/demo/map/pub/Ambit/";
    fs::copy_file(demo + "first.amb", env.DataDir() + "/ambit.amb");
    for (const char* f : {"Games.amb", "Utilitie.amb", "Document.amb", "Compress.amb"})
        fs::copy_file(demo + f, env.DataDir() + "/" + f);

    ui::CMainFrame frame(ui::FrameOptions{env.DataDir(), 0});
    frame.resize(760, 520);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame, 5000));
    frame.View()->InitialUpdate();
    ui::CClientView* view = frame.View();
    catalog::CatalogTree& tree = view->Catalog().Tree();
    view->Catalog().LoadAllFolders();
    for (const char* folder : {"/All/Games", "/All/Utilities", "/All/FTP Sites"})
        view->expand(view->Model()->IndexOf(uitest::FindPath(tree, folder)));
    view->SelectItem(uitest::FindPath(tree, "/All/Games/Tile puzzle"));
    frame.UpdateCommands();

    QPixmap shot = frame.grab();
    EXPECT_GE(shot.width(), 700);
    EXPECT_TRUE(frame.menuBar()->isVisible());
    EXPECT_TRUE(frame.statusBar()->isVisible());
    if (const char* dir = std::getenv("AMBIT_SCREENSHOT_DIR")) {
        fs::create_directories(dir);
        EXPECT_TRUE(shot.save(QString::fromStdString(std::string(dir) + "/ambit-main-window.png")));
    }
}

}  // namespace
