// The main window's layout across two starts on one settings file, the
// first size on screens of several scale factors, and layout values that
// are damaged or hostile.
#include "session/window_layout.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QTest>

#include "store/registry_value.h"
#include "ui/window_layout_keeper.h"
#include "ui_test_env.h"

namespace {

class WindowLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        env.StoreKnownUser();
        uitest::CopyDemoCatalog(env.DataDir());
    }

    // One start of the program as main() does it: window, start-up, then
    // the remembered folders.
    std::unique_ptr<ui::CMainFrame> Start() {
        platform::RegistryDb::CloseShared();  // read the settings file afresh
        auto frame = std::make_unique<ui::CMainFrame>(ui::FrameOptions{env.DataDir(), 0});
        frame->show();
        frame->View()->InitialUpdate();
        ui::WindowLayoutKeeper::RestoreOpenFolders(*frame->View());
        return frame;
    }

    static bool IsOpen(ui::CMainFrame& frame, const std::string& path) {
        catalog::TreeItem* item = uitest::FindPath(frame.View()->Catalog().Tree(), path);
        return item && frame.View()->isExpanded(frame.View()->ViewIndex(item));
    }

    uitest::UiTestEnv env;
};

// The size, the open folders and the columns (widths, hidden columns,
// sorting, the names-only look with its columns kept) come back as the
// last start left them.
TEST_F(WindowLayoutTest, ASecondStartLooksLikeTheFirstEnded) {
    struct Look {
        QSize size;
        int sizeWidth;
        bool hostHidden;
        int sortColumn;
        bool namesOnly;
    };
    for (const Look& look : {Look{{500, 380}, 123, true, ui::CatalogModel::kDateColumn, false},
                             Look{{620, 410}, 97, false, -1, true}}) {
        SCOPED_TRACE(look.sizeWidth);
        {
            auto frame = Start();
            ui::CClientView* view = frame->View();
            frame->resize(look.size);
            catalog::TreeItem* games = uitest::FindPath(view->Catalog().Tree(), "/All/Games");
            ASSERT_NE(games, nullptr);
            view->Catalog().LoadFolderContents(games);
            view->expand(view->ViewIndex(games));
            view->ShowColumns(true);
            view->header()->resizeSection(ui::CatalogModel::kSizeColumn, look.sizeWidth);
            view->header()->setSectionHidden(ui::CatalogModel::kHostColumn, look.hostHidden);
            view->header()->setSortIndicator(look.sortColumn, Qt::DescendingOrder);
            view->ShowColumns(!look.namesOnly);
            ASSERT_TRUE(frame->close());
        }
        auto again = Start();
        ui::CClientView* view = again->View();
        EXPECT_EQ(again->size(), look.size);
        EXPECT_TRUE(IsOpen(*again, "/All")) << "the root stays open";
        // The folder's file is read again only when the user opens it, so
        // it stays closed rather than going to disk or the network at
        // start-up; once loaded, it reopens.
        EXPECT_FALSE(IsOpen(*again, "/All/Games"));
        view->Catalog().LoadFolderContents(uitest::FindPath(view->Catalog().Tree(), "/All/Games"));
        ui::WindowLayoutKeeper::RestoreOpenFolders(*view);
        EXPECT_TRUE(IsOpen(*again, "/All/Games"));

        EXPECT_EQ(view->ColumnsShown(), !look.namesOnly);
        EXPECT_EQ(view->header()->sortIndicatorSection(), look.sortColumn);
        view->ShowColumns(true);
        EXPECT_EQ(view->header()->sectionSize(ui::CatalogModel::kSizeColumn), look.sizeWidth);
        EXPECT_EQ(view->header()->isSectionHidden(ui::CatalogModel::kHostColumn), look.hostHidden);
        ASSERT_TRUE(again->close());
    }
}

TEST(WindowFirstSize, FitsEveryScreenAtEveryScale) {
    struct Screen {
        int width, height, scale;
    };
    for (Screen s : {Screen{1920, 1080, 1}, Screen{1920, 1080, 2}, Screen{1366, 768, 1},
                     Screen{1280, 800, 2}, Screen{3840, 2160, 3}, Screen{800, 600, 1}}) {
        const QSize available(s.width / s.scale, s.height / s.scale - 30);
        const QSize first = ui::WindowLayoutKeeper::FirstSize(available);
        SCOPED_TRACE(testing::Message() << s.width << "x" << s.height << " @" << s.scale);
        EXPECT_LE(first.width(), available.width() * 9 / 10);
        EXPECT_LE(first.height(), available.height() * 9 / 10) << "room left for the frame";
        EXPECT_GE(first.width(), std::min(640, available.width() / 2));
    }
}

// Damaged values cost the layout, never the start.
TEST(WindowLayoutValues, DamagedOrHostileValuesAreDropped) {
    uitest::UiTestEnv env;
    session::WindowLayout saved;
    saved.geometry = std::string("\x01\x00\xd9\xd0", 4);
    saved.expanded = {{"All"}, {"All", "Mine \x01 odd"}, {"All", "Games"}};
    ASSERT_TRUE(saved.Save());
    EXPECT_EQ(session::WindowLayout::Load(), saved);

    auto write = [](const char* name, const std::string& bytes, std::uint32_t type) {
        store::RegistryValue(session::WindowLayout::kSubkey, name)
            .Write(bytes.data(), static_cast<std::uint32_t>(bytes.size()), type);
    };
    write(session::WindowLayout::kGeometry, std::string(200 * 1024, 'x'), 3);  // too big
    write(session::WindowLayout::kWindowState, "garbage", 3);
    write(session::WindowLayout::kColumns, "garbage", 3);
    EXPECT_TRUE(session::WindowLayout::Load().geometry.empty());
    write(session::WindowLayout::kGeometry, "text", 1);  // wrong type
    EXPECT_TRUE(session::WindowLayout::Load().geometry.empty());
    ui::CMainFrame frame(ui::FrameOptions{env.DataDir(), 0});
    EXPECT_FALSE(frame.size().isEmpty());
    EXPECT_TRUE(frame.View()->ColumnsShown());

    // A column state that would hide the names is refused whole.
    frame.View()->header()->setSectionHidden(ui::CatalogModel::kNameColumn, true);
    const QByteArray nameless = frame.View()->header()->saveState();
    write(session::WindowLayout::kColumns, nameless.toStdString(), 3);
    ui::CMainFrame second(ui::FrameOptions{env.DataDir(), 0});
    EXPECT_FALSE(second.View()->header()->isSectionHidden(ui::CatalogModel::kNameColumn));

    // Thousands of remembered folders are cut to the bound.
    session::WindowLayout many;
    for (int i = 0; i < 2000; ++i) many.expanded.push_back({"All", std::to_string(i)});
    ASSERT_TRUE(many.Save());
    EXPECT_EQ(session::WindowLayout::Load().expanded.size(), session::WindowLayout::kMaxExpanded);
}

}  // namespace
