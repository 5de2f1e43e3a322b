// Map files from the window against a real FTP server on 127.0.0.1: "&Add"
// fetches one below /All/MapFiles/, "&Merge " and "Map  Info:" add and
// remove a source's entries, "&Update" adds the fetched copy beside the old
// item. The catalog's side of each is tested with the catalog.
#include <gtest/gtest.h>

#include <QInputDialog>
#include <QPushButton>
#include <QTreeWidget>

#include "temp_dir.h"
#include "ui/command_ids.h"
#include "ui/map_info_dialog.h"
#include "ui_test_env.h"

namespace {

using uitest::ChildTexts;

const char* kToolsMap =
    "%Internet Ambit Data File %ver=\"1.0\" %name=\"Tools\" %addr=\"127.0.0.1\" "
    "%path=\"/pub/maps/tools.amb\"\n"
    "CNAME=/All/Tools:Tools.amb:127.0.0.1\n"
    "/All/Tools/Line counter:Counts lines:0.00:127.0.0.1:/pub/lines.txt:05/30/26:1785:[default]\n"
    "/All/Tools/Zip notes:On zip:0.00:127.0.0.1:/pub/zip.txt:04/02/26:1692:[default]\n";

class MapFilesWindowTest : public uitest::WindowTest {
protected:
    MapFilesWindowTest() : server(root.Path(), uitest::FtpUserLogin("reader@example.org")) {
        root.Write("pub/maps/tools.amb", kToolsMap);
        setenv("AMBIT_MAP_SERVER", "127.0.0.1", 1);
        setenv("AMBIT_FTP_PORT", std::to_string(server.Port()).c_str(), 1);
        env.StoreKnownUser();
    }

    testsupport::TempDir root;
    testsupport::FtpServer server;
};

TEST_F(MapFilesWindowTest, AddedMergedRemovedAndUpdated) {
    ASSERT_TRUE(server.Started()) << server.Error();
    StartWindow();
    auto typed = uitest::WhenModal([](QWidget* w) {
        auto* d = qobject_cast<QInputDialog*>(w);
        ASSERT_NE(d, nullptr);
        d->setTextValue(QStringLiteral("/pub/maps/tools.amb"));
        d->accept();
    });
    Run(ui::cmd::kAddMapFile);
    EXPECT_TRUE(*typed);
    EXPECT_TRUE(env.prompt.Messages().empty()) << env.prompt.Messages()[0];
    EXPECT_EQ(ChildTexts(Item("/All/MapFiles/Tools/All/Tools")),
              (std::vector<std::string>{"Line counter", "Zip notes"}));
    EXPECT_EQ(Item("/All/Tools"), nullptr) << "opened, not merged";

    // Merged, the file kept: its entries join the catalog as one source.
    Select("/All/MapFiles/Tools");
    env.prompt.Answer(true);
    env.prompt.Answer(false);
    Run(ui::cmd::kMergeMapFile);
    EXPECT_NE(Item("/All/Tools/Zip notes"), nullptr);
    EXPECT_NE(Item("/All/MapFiles/Tools"), nullptr);

    // "Map  Info:" lists it and its Delete takes exactly those entries out.
    auto answered = uitest::WhenModal([this](QWidget* w) {
        auto* d = qobject_cast<ui::MapInfoDialog*>(w);
        ASSERT_NE(d, nullptr);
        if (d->List()->topLevelItemCount() == 1) {
            EXPECT_EQ(d->List()->topLevelItem(0)->text(2), QStringLiteral("/pub/maps/tools.amb"));
            Shot(d, "map-info.png");
            env.prompt.Answer(true);
            d->DeleteButton()->click();
        }
        EXPECT_EQ(d->List()->topLevelItemCount(), 0);
        d->accept();
    });
    Run(ui::cmd::kMapInfo);
    EXPECT_TRUE(*answered);
    EXPECT_EQ(Item("/All/Tools/Zip notes"), nullptr);
    EXPECT_NE(Item("/All/MapFiles/Tools/All/Tools/Zip notes"), nullptr);
    Run(ui::cmd::kSaveMenu);
    EXPECT_EQ(uitest::ReadAll(env.DataDir() + "/ambit.amb").find("Zip notes"), std::string::npos);

    root.Write("pub/maps/tools.amb", std::string(kToolsMap) + "/All/Tools/New one:d:::::: \n");
    Select("/All/MapFiles/Tools");
    env.prompt.Answer(true);
    Run(ui::cmd::kUpdateMapFileItem);
    EXPECT_EQ(env.prompt.Questions().back(), "Are you sure you want to update this file?");
    EXPECT_TRUE(env.prompt.Messages().empty()) << env.prompt.Messages()[0];
    EXPECT_EQ(ChildTexts(Item("/All/MapFiles")), (std::vector<std::string>{"Tools", "Tools"}));
    EXPECT_NE(Item("/All/MapFiles/Tools/All/Tools/New one"), nullptr);
}

}  // namespace
