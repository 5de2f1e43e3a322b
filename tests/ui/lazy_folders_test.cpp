// Folders whose contents file is unread show an expander. Opening one by
// the expander, the Right key or code reads the file as activation does,
// and a missing file is asked about exactly once per attempt, however the
// folder was opened and however often the view lays itself out meanwhile.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QTest>
#include <filesystem>
#include <functional>

#include "catalog/catalog.h"
#include "catalog_finder.h"
#include "ui/catalog_model.h"
#include "ui/catalog_sort_proxy.h"
#include "ui/client_view.h"
#include "ui/main_frame.h"
#include "ui_test_env.h"

namespace {

namespace fs = std::filesystem;
using catalog::TreeItem;

class LazyFoldersTest : public ::testing::Test {
protected:
    void SetUp() override {
        env.StoreKnownUser();
        const std::string demo = std::string(AMBIT_SOURCE_DIR) + "/demo/map/pub/Ambit/";
        fs::copy_file(demo + "first.amb", env.DataDir() + "/ambit.amb");
        for (const char* f : {"Games.amb", "Utilitie.amb", "Document.amb", "Compress.amb"})
            fs::copy_file(demo + f, env.DataDir() + "/" + f);
        frame = std::make_unique<ui::CMainFrame>(ui::FrameOptions{env.DataDir(), 0});
        // Both ask every folder for its children: only the ones the user
        // opens may be read.
        modelTester = std::make_unique<QAbstractItemModelTester>(
            View()->Model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
        proxyTester = std::make_unique<QAbstractItemModelTester>(
            View()->SortProxy(), QAbstractItemModelTester::FailureReportingMode::Fatal);
        frame->show();
        frame->activateWindow();
        // Enter is a window shortcut: it reaches an active window only.
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get(), 5000));
        View()->InitialUpdate();
    }

    ui::CClientView* View() { return frame->View(); }
    TreeItem* Item(const std::string& path) {
        return uitest::FindPath(View()->Catalog().Tree(), path);
    }
    // Lets queued requests run and the view lay itself out again, as it
    // does on every paint.
    void Settle() {
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::processEvents();
            View()->doItemsLayout();
        }
    }

    uitest::UiTestEnv env;
    std::unique_ptr<ui::CMainFrame> frame;
    std::unique_ptr<QAbstractItemModelTester> modelTester, proxyTester;
};

using Opener = std::function<void(ui::CClientView*, const QModelIndex&)>;

const std::pair<const char*, Opener> kOpeners[] = {
    {"Right key",
     [](ui::CClientView* view, const QModelIndex& index) {
         view->setCurrentIndex(index);
         view->setFocus();
         QTest::keyClick(view, Qt::Key_Right);
     }},
    {"expander",
     [](ui::CClientView* view, const QModelIndex& index) {
         const QRect row = view->visualRect(index);
         QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                           QPoint(row.left() - view->indentation() / 2, row.center().y()));
     }},
    {"expand()", [](ui::CClientView* view, const QModelIndex& index) { view->expand(index); }},
};

TEST_F(LazyFoldersTest, OpeningAnUnreadFolderReadsItsFile) {
    const char* folders[] = {"/All/Games", "/All/Utilities", "/All/Documents"};
    Settle();
    for (const char* path : folders) {
        EXPECT_TRUE(ui::CatalogModel::AwaitsContents(Item(path))) << path << " read too early";
        EXPECT_TRUE(View()->model()->hasChildren(View()->ViewIndex(Item(path)))) << path;
    }
    int i = 0;
    for (const auto& [way, open] : kOpeners) {
        TreeItem* folder = Item(folders[i++]);
        open(View(), View()->ViewIndex(folder));
        Settle();
        EXPECT_TRUE(folder->HasChildren()) << way;
        EXPECT_TRUE(View()->isExpanded(View()->ViewIndex(folder))) << way;
    }
    EXPECT_TRUE(env.prompt.Questions().empty());
}

TEST_F(LazyFoldersTest, AMissingFileIsAskedAboutOncePerAttempt) {
    fs::remove(env.DataDir() + "/Document.amb");
    TreeItem* docs = Item("/All/Documents");
    auto index = [&] { return View()->ViewIndex(docs); };
    using Act = std::function<void()>;
    const std::pair<const char*, Act> attempts[] = {
        {"Right key", [&] { kOpeners[0].second(View(), index()); }},
        {"expander", [&] { kOpeners[1].second(View(), index()); }},
        {"Enter",
         [&] {
             View()->setCurrentIndex(index());
             View()->setFocus();
             QTest::keyClick(View(), Qt::Key_Return);
         }},
        {"double click",
         [&] {
             QTest::mouseDClick(View()->viewport(), Qt::LeftButton, {},
                                View()->visualRect(index()).center());
         }},
    };
    size_t asked = 0;
    for (const auto& [way, attempt] : attempts) {
        // A question takes the activation away; the user comes back to the window.
        frame->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get(), 5000));
        attempt();  // the script answers No: nothing is fetched
        Settle();
        EXPECT_EQ(env.prompt.Questions().size(), ++asked) << way;
        EXPECT_FALSE(View()->isExpanded(index())) << way << ": left open, it asks again";
        EXPECT_TRUE(ui::CatalogModel::AwaitsContents(docs)) << way;
    }
    EXPECT_EQ(env.prompt.Questions().back(),
              "I couldn't find that data file on your machine.\nWould you like me to get a new "
              "copy from the server?");
}

// Sorted, a folder read by its expander shows its items in the sorted order.
TEST_F(LazyFoldersTest, AFolderReadWhileSortedShowsItsItemsSorted) {
    View()->header()->setSortIndicator(ui::CatalogModel::kNameColumn, Qt::DescendingOrder);
    TreeItem* games = Item("/All/Games");
    kOpeners[0].second(View(), View()->ViewIndex(games));
    Settle();
    const QModelIndex parent = View()->ViewIndex(games);
    ASSERT_EQ(View()->model()->rowCount(parent), 2);
    EXPECT_EQ(View()->model()->index(0, 0, parent).data().toString(), "Word ladder");
    EXPECT_EQ(uitest::ChildTexts(games), (std::vector<std::string>{"Tile puzzle", "Word ladder"}));
}

}  // namespace
