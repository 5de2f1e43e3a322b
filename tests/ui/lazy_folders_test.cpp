// Folders whose contents file is unread show an expander. Opening one by
// the expander, the Right key or code reads the file as activation does,
// and a missing file is asked about exactly once per attempt, however the
// folder was opened and however often the view lays itself out meanwhile.
// Item model testers over the model and the proxy ask every folder for its
// children too: only the ones the user opens may be read.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QTest>
#include <filesystem>

#include "ui/catalog_sort_proxy.h"
#include "ui_test_env.h"

namespace {

using catalog::TreeItem;

class LazyFoldersTest : public uitest::WindowTest {
protected:
    void SetUp() override {
        env.StoreKnownUser();
        uitest::CopyDemoCatalog(env.DataDir());
        StartWindow(true);
        proxyTester = std::make_unique<QAbstractItemModelTester>(
            View()->SortProxy(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    }
    void TearDown() override {
        proxyTester.reset();
        WindowTest::TearDown();
    }

    // Opens a folder the way a user would, then lets queued requests run
    // and the view lay itself out again, as it does on every paint.
    void Open(const std::string& way, const TreeItem* folder) {
        // A question takes the activation away; the user comes back.
        frame->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get(), 5000));
        const QModelIndex index = View()->ViewIndex(folder);
        const QRect row = View()->visualRect(index);
        View()->setCurrentIndex(index);
        if (way == "Right key" || way == "Enter")
            QTest::keyClick(View(), way == "Enter" ? Qt::Key_Return : Qt::Key_Right);
        else if (way == "expander")
            QTest::mouseClick(View()->viewport(), Qt::LeftButton, {},
                              QPoint(row.left() - View()->indentation() / 2, row.center().y()));
        else if (way == "double click")
            QTest::mouseDClick(View()->viewport(), Qt::LeftButton, {}, row.center());
        else
            View()->expand(index);
        for (int i = 0; i < 3; ++i) {
            QCoreApplication::processEvents();
            View()->doItemsLayout();
        }
    }

    std::unique_ptr<QAbstractItemModelTester> proxyTester;
};

TEST_F(LazyFoldersTest, OpeningAnUnreadFolderReadsItsFile) {
    // Read while sorted, a folder's items show sorted at once.
    View()->header()->setSortIndicator(ui::CatalogModel::kNameColumn, Qt::DescendingOrder);
    const std::pair<const char*, const char*> cases[] = {
        {"Right key", "/All/Games"}, {"expander", "/All/Utilities"}, {"code", "/All/Documents"}};
    for (const auto& [way, path] : cases) {
        TreeItem* folder = Item(path);
        Open(way, folder);
        const QModelIndex index = View()->ViewIndex(folder);
        EXPECT_TRUE(View()->isExpanded(index)) << way;
        EXPECT_GT(View()->model()->rowCount(index), 0) << way;
    }
    const QModelIndex games = View()->ViewIndex(Item("/All/Games"));
    EXPECT_EQ(View()->model()->index(0, 0, games).data().toString(), "Word ladder");
    EXPECT_TRUE(env.prompt.Questions().empty());
}

TEST_F(LazyFoldersTest, AMissingFileIsAskedAboutOncePerAttempt) {
    std::filesystem::remove(env.DataDir() + "/Document.amb");
    TreeItem* docs = Item("/All/Documents");
    size_t asked = 0;
    for (const char* way : {"Right key", "expander", "Enter", "double click"}) {
        Open(way, docs);  // the script answers No: nothing is fetched
        EXPECT_EQ(env.prompt.Questions().size(), ++asked) << way;
        EXPECT_FALSE(View()->isExpanded(View()->ViewIndex(docs))) << way << ": open, it asks again";
        EXPECT_TRUE(ui::CatalogModel::AwaitsContents(docs)) << way;
    }
}

}  // namespace
