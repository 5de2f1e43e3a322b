// The main window's layout across two starts on one settings file, the
// first size on screens of several scale factors, the cascade of transfer
// windows, and layout values that are damaged or hostile.
#include "session/window_layout.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QTest>
#include <filesystem>

#include "catalog/catalog.h"
#include "catalog_finder.h"
#include "store/registry_errors.h"
#include "store/registry_value.h"
#include "ui/catalog_model.h"
#include "ui/client_view.h"
#include "ui/main_frame.h"
#include "ui/window_layout_keeper.h"
#include "ui_test_env.h"

namespace {

namespace fs = std::filesystem;

class WindowLayoutTest : public ::testing::Test {
protected:
    void SetUp() override {
        env.StoreKnownUser();
        const std::string demo = std::string(AMBIT_SOURCE_DIR) + "/demo/map/pub/Ambit/";
        fs::copy_file(demo + "first.amb", env.DataDir() + "/ambit.amb");
        fs::copy_file(demo + "Games.amb", env.DataDir() + "/Games.amb");
    }

    // One start of the program as main() does it: window, start-up, then
    // the remembered folders.
    std::unique_ptr<ui::CMainFrame> Start() {
        auto frame = std::make_unique<ui::CMainFrame>(ui::FrameOptions{env.DataDir(), 0});
        frame->show();
        frame->View()->InitialUpdate();
        ui::WindowLayoutKeeper::RestoreOpenFolders(*frame->View());
        return frame;
    }

    bool IsOpen(ui::CMainFrame& frame, const std::string& path) {
        catalog::TreeItem* item = uitest::FindPath(frame.View()->Catalog().Tree(), path);
        return item && frame.View()->isExpanded(frame.View()->ViewIndex(item));
    }

    uitest::UiTestEnv env;
};

TEST_F(WindowLayoutTest, ASecondStartLooksLikeTheFirstEnded) {
    QRect placed;
    {
        auto frame = Start();
        frame->setGeometry(QRect(70, 60, 500, 380));
        catalog::TreeItem* games = uitest::FindPath(frame->View()->Catalog().Tree(), "/All/Games");
        ASSERT_NE(games, nullptr);
        frame->View()->Catalog().LoadFolderContents(games);
        frame->View()->expand(frame->View()->ViewIndex(games));
        ASSERT_TRUE(IsOpen(*frame, "/All/Games"));
        placed = frame->geometry();
        ASSERT_TRUE(frame->close());
    }
    platform::RegistryDb::CloseShared();
    auto again = Start();
    EXPECT_EQ(again->geometry().size(), placed.size());
    EXPECT_TRUE(IsOpen(*again, "/All")) << "the root stays open";
    // The folder's file is loaded again only when the user opens it, so it
    // stays closed rather than going to disk or the network at start-up.
    EXPECT_FALSE(IsOpen(*again, "/All/Games"));
    again->View()->Catalog().LoadFolderContents(
        uitest::FindPath(again->View()->Catalog().Tree(), "/All/Games"));
    ui::WindowLayoutKeeper::RestoreOpenFolders(*again->View());
    EXPECT_TRUE(IsOpen(*again, "/All/Games")) << "a loaded folder reopens";
}

// Columns come back as they were left, over two starts each: widths,
// hidden columns, sorting, and the names-only look with its columns kept.
TEST_F(WindowLayoutTest, ColumnsComeBackAsTheyWereLeft) {
    struct Look {
        int sizeWidth;
        bool hostHidden;
        int sortColumn;
        bool namesOnly;
    };
    for (const Look& look :
         {Look{123, true, ui::CatalogModel::kDateColumn, false}, Look{97, false, -1, true}}) {
        SCOPED_TRACE(look.sizeWidth);
        {
            auto frame = Start();
            ui::CClientView* view = frame->View();
            view->ShowColumns(true);
            view->header()->resizeSection(ui::CatalogModel::kSizeColumn, look.sizeWidth);
            view->header()->setSectionHidden(ui::CatalogModel::kHostColumn, look.hostHidden);
            view->header()->setSortIndicator(look.sortColumn, Qt::DescendingOrder);
            view->ShowColumns(!look.namesOnly);
            ASSERT_TRUE(frame->close());
        }
        platform::RegistryDb::CloseShared();
        auto again = Start();
        ui::CClientView* view = again->View();
        EXPECT_EQ(view->ColumnsShown(), !look.namesOnly);
        EXPECT_EQ(view->header()->sortIndicatorSection(), look.sortColumn);
        view->ShowColumns(true);
        EXPECT_EQ(view->header()->sectionSize(ui::CatalogModel::kSizeColumn), look.sizeWidth);
        EXPECT_EQ(view->header()->isSectionHidden(ui::CatalogModel::kHostColumn), look.hostHidden);
        ASSERT_TRUE(again->close());
        platform::RegistryDb::CloseShared();
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

    struct Damage {
        const char* name;
        std::string bytes;
        std::uint32_t type;
    };
    const Damage cases[] = {
        {session::WindowLayout::kGeometry, std::string(200 * 1024, 'x'), 3},  // too big
        {session::WindowLayout::kGeometry, "text", 1},                        // wrong type
        {session::WindowLayout::kWindowState, "garbage", 3},
        {session::WindowLayout::kColumns, "garbage", 3},
    };
    for (const Damage& d : cases) {
        store::RegistryValue(session::WindowLayout::kSubkey, d.name)
            .Write(d.bytes.data(), static_cast<std::uint32_t>(d.bytes.size()), d.type);
    }
    session::WindowLayout loaded = session::WindowLayout::Load();
    EXPECT_TRUE(loaded.geometry.empty());
    EXPECT_EQ(loaded.windowState, "garbage") << "Qt itself refuses a bad state";
    ui::CMainFrame frame(ui::FrameOptions{env.DataDir(), 0});
    EXPECT_FALSE(frame.size().isEmpty());
    EXPECT_TRUE(frame.View()->ColumnsShown());

    // A column state that would hide the names is refused whole.
    frame.View()->header()->setSectionHidden(ui::CatalogModel::kNameColumn, true);
    const QByteArray nameless = frame.View()->header()->saveState();
    store::RegistryValue(session::WindowLayout::kSubkey, session::WindowLayout::kColumns)
        .Write(nameless.data(), static_cast<std::uint32_t>(nameless.size()), 3);
    ui::CMainFrame second(ui::FrameOptions{env.DataDir(), 0});
    EXPECT_FALSE(second.View()->header()->isSectionHidden(ui::CatalogModel::kNameColumn));

    // Thousands of remembered folders are cut to the bound.
    session::WindowLayout many;
    for (int i = 0; i < 2000; ++i) many.expanded.push_back({"All", std::to_string(i)});
    ASSERT_TRUE(many.Save());
    EXPECT_EQ(session::WindowLayout::Load().expanded.size(), session::WindowLayout::kMaxExpanded);
}

}  // namespace
