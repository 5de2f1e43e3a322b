// The find bar over a tree view of one generated catalog: what the view
// shows for each search (QAbstractItemModelTester watching the filtered
// proxy throughout), the count the status bar gets, a folder whose file is
// not loaded, and the tree put back as it was when the search ends.
#include "ui/tree_finder.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTreeView>
#include <filesystem>

#include "catalog/catalog.h"
#include "ui/catalog_model.h"
#include "ui/catalog_sort_proxy.h"
#include "ui/command_ids.h"
#include "ui/find_bar.h"
#include "ui_test_env.h"

namespace {

const char* kHeader = "%Internet Ambit Data File %ver=\"1.0\"\n";

std::string Item(const std::string& location, const std::string& description) {
    return location + ":" + description +
           ":0.00:ftp.example.com:/pub/x.zip:01/02/99:10:[default]\n";
}

// The rows the view shows, "*" marking open folders: "All*(Tools*(Zipper))".
std::string Shown(const QTreeView& view, const QModelIndex& parent = QModelIndex()) {
    std::string out;
    const QAbstractItemModel& m = *view.model();
    for (int r = 0; r < m.rowCount(parent); ++r) {
        QModelIndex i = m.index(r, 0, parent);
        if (r) out += ",";
        out += i.data().toString().toStdString();
        if (view.isExpanded(i)) out += "*(" + Shown(view, i) + ")";
    }
    return out;
}

class TreeFinderTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string main = std::string(kHeader) + "CNAME=/All/Tools:Tools.amb:\n" +
                           Item("/All/Tools/Zipper", "Packs archives") +
                           Item("/All/Tools/Editor", "Edits text") +
                           "CNAME=/All/Later:Later.amb:\n";
        for (int i = 0; i < 30; ++i)
            main += Item("/All/Games/Game " + std::to_string(i), i % 10 ? "Fun" : "Zip puzzle");
        env_.dir.Write("data/ambit.amb", main);
        env_.dir.Write("data/Later.amb", std::string(kHeader) + Item("/All/Later/Unzip", "Old") +
                                             Item("/All/Later/Reader", "Reads"));
        catalog_ = std::make_unique<catalog::Catalog>(env_.DataDir());
        ASSERT_TRUE(catalog_->LoadMainDataFile());
        model_ = std::make_unique<ui::CatalogModel>(catalog_->Tree());
        proxy_.setSourceModel(model_.get());
        tester_ = std::make_unique<QAbstractItemModelTester>(
            &proxy_, QAbstractItemModelTester::FailureReportingMode::Fatal);
        view_.setModel(&proxy_);
        finder_ = std::make_unique<ui::TreeFinder>(*catalog_, model_.get(), &proxy_, &view_);
        proxy_.SetFinder(finder_.get());
        QObject::connect(&bar_, &ui::FindBar::Changed, finder_.get(), &ui::TreeFinder::Find);
        QObject::connect(&bar_, &ui::FindBar::Done, &view_, [this] { view_.setFocus(); });
        view_.resize(300, 400);
        view_.show();
        view_.expand(ProxyIndex("/All"));
    }

    QModelIndex ProxyIndex(const std::string& path) {
        return proxy_.mapFromSource(model_->IndexOf(uitest::FindPath(catalog_->Tree(), path)));
    }

    uitest::UiTestEnv env_;
    std::unique_ptr<catalog::Catalog> catalog_;
    std::unique_ptr<ui::CatalogModel> model_;
    ui::CatalogSortProxy proxy_;
    std::unique_ptr<QAbstractItemModelTester> tester_;
    QTreeView view_;
    std::unique_ptr<ui::TreeFinder> finder_;
    ui::FindBar bar_;
};

TEST_F(TreeFinderTest, ShowsMatchesWithTheirFoldersOpenAndCountsThem) {
    struct Case {
        const char* text;
        bool unloaded;
        const char* shown;
        const char* count;
    } cases[] = {
        {"zip", false, "All*(Games*(Game 0,Game 10,Game 20),Tools*(Zipper))", "4 matches"},
        {"EDITS", false, "All*(Tools*(Editor))", "1 match"},
        {"unzip", false, "", "No matches"},
        // The unloaded folder stays, closed, and says how many it holds.
        {"unzip", true, "All*(Later)", "1 match in 1 folder not loaded"},
        {"zip", true, "All*(Games*(Game 0,Game 10,Game 20),Later,Tools*(Zipper))",
         "4 matches, 1 more in 1 folder not loaded"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        bar_.UnloadedBox()->setChecked(c.unloaded);
        bar_.Field()->setText(QString::fromUtf8(c.text));
        EXPECT_EQ(Shown(view_), c.shown);
        EXPECT_EQ(finder_->CountText().toStdString(), c.count);
    }
    EXPECT_EQ(ProxyIndex("/All/Later").data(Qt::ToolTipRole).toString().toStdString(),
              "1 match inside, not loaded yet");
    EXPECT_FALSE(catalog_->Changed());
    EXPECT_FALSE(uitest::FindPath(catalog_->Tree(), "/All/Later")->HasChildren());

    // Loaded while searching, the folder's items are filtered once the
    // load's burst of changes is over.
    ASSERT_TRUE(catalog_->LoadFolderContents(uitest::FindPath(catalog_->Tree(), "/All/Later")));
    QTRY_COMPARE_WITH_TIMEOUT(finder_->CountText(), QStringLiteral("5 matches"), 5000);
    EXPECT_EQ(Shown(view_), "All*(Games*(Game 0,Game 10,Game 20),Later*(Unzip),Tools*(Zipper))");
}

TEST_F(TreeFinderTest, EscapeEndsTheSearchAndRestoresTheTree) {
    view_.setCurrentIndex(ProxyIndex("/All/Games/Game 3"));
    const std::string before = Shown(view_);
    bar_.show();
    bar_.Start();
    QTest::keyClicks(bar_.Field(), "edit");
    EXPECT_EQ(Shown(view_), "All*(Tools*(Editor))");
    QTest::keyClick(bar_.Field(), Qt::Key_Escape);
    EXPECT_TRUE(bar_.Text().isEmpty());
    EXPECT_EQ(finder_->CountText(), QString());
    EXPECT_EQ(Shown(view_), before);
    EXPECT_EQ(view_.currentIndex(), ProxyIndex("/All/Games/Game 3"));

    // An item picked among the matches stays picked, its folder open.
    bar_.Field()->setText("edit");
    view_.setCurrentIndex(ProxyIndex("/All/Tools/Editor"));
    bar_.Field()->clear();
    EXPECT_EQ(view_.currentIndex(), ProxyIndex("/All/Tools/Editor"));
    EXPECT_TRUE(view_.isExpanded(ProxyIndex("/All/Tools")));

    for (bool option : {true, false}) {
        ui::TreeFinder::SaveUnloadedOption(option);
        EXPECT_EQ(ui::TreeFinder::LoadUnloadedOption(), option);
    }
}

// The main window: Ctrl+F from the tree, the count in the status bar.
class FindInMainWindow : public uitest::WindowTest {};

TEST_F(FindInMainWindow, CtrlFFiltersTheTreeAndTheStatusBarCounts) {
    env.StoreKnownUser();
    const std::string demo = std::string(AMBIT_SOURCE_DIR) + "/demo/map/pub/Ambit/";
    std::filesystem::copy_file(demo + "first.amb", env.DataDir() + "/ambit.amb");
    StartWindow();
    QAction* find = Action(ui::cmd::kFind);
    EXPECT_EQ(find->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F));
    View()->setFocus();
    Run(ui::cmd::kFind);
    EXPECT_TRUE(frame->Find().Field()->hasFocus());
    QTest::keyClicks(frame->Find().Field(), "e");
    EXPECT_TRUE(frame->FindCount()->isVisible());
    EXPECT_EQ(frame->FindCount()->textFormat(), Qt::PlainText);
    EXPECT_FALSE(frame->FindCount()->text().isEmpty());
    Shot(frame.get(), "filter.png");
    QTest::keyClick(frame->Find().Field(), Qt::Key_Escape);
    EXPECT_TRUE(View()->hasFocus());
    EXPECT_TRUE(frame->FindCount()->isHidden());
}

}  // namespace
