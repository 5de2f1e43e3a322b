// Map files from the window against a real FTP server on 127.0.0.1: "&Add"
// fetches one below /All/MapFiles/, the next start lists it from the
// directory, "&Merge " and "Map  Info:" add and remove a source's entries,
// "&Update" adds the fetched copy beside the old item. With AMBIT_SCREENSHOT_DIR set, the MapFiles
// folder and the "Map  Info:" dialog are saved as pictures there.
#include <gtest/gtest.h>

#include <QInputDialog>
#include <QPushButton>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>

#include "temp_dir.h"
#include "ui/command_ids.h"
#include "ui/map_info_dialog.h"
#include "ui_test_env.h"

namespace {

namespace fs = std::filesystem;
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
    // "&Add", typing `path` into its question.
    void AddMapFile(const std::string& path) {
        auto typed = uitest::WhenModal([path](QWidget* w) {
            auto* d = qobject_cast<QInputDialog*>(w);
            ASSERT_NE(d, nullptr);
            d->setTextValue(QString::fromStdString(path));
            d->accept();
        });
        Run(ui::cmd::kAddMapFile);
        EXPECT_TRUE(*typed);
    }
    std::string Data(const std::string& name) {
        return uitest::ReadAll(env.DataDir() + "/" + name);
    }

    testsupport::TempDir root;
    testsupport::FtpServer server;
};

TEST_F(MapFilesWindowTest, AddedListedMergedAndRemovedAgain) {
    ASSERT_TRUE(server.Started()) << server.Error();
    StartWindow();
    EXPECT_TRUE(fs::is_directory(env.DataDir() + "/MapFiles"));
    AddMapFile("/pub/maps/tools.amb");
    EXPECT_TRUE(env.prompt.Messages().empty()) << env.prompt.Messages()[0];
    EXPECT_EQ(ChildTexts(Item("/All/MapFiles/Tools/All/Tools")),
              (std::vector<std::string>{"Line counter", "Zip notes"}));
    EXPECT_EQ(Item("/All/Tools"), nullptr) << "opened, not merged";

    // The next start lists it from the directory, closed.
    ASSERT_TRUE(frame->close());
    StartWindow();
    Select("/All/MapFiles/Tools");
    EXPECT_EQ(frame->ContextMenuId(), ui::cmd::kMenuMapFile);
    View()->ActivateItem();
    EXPECT_NE(Item("/All/MapFiles/Tools/All/Tools/Zip notes"), nullptr);
    View()->expandRecursively(View()->ViewIndex(Item("/All/MapFiles")));
    Shot(frame.get(), "mapfiles-folder.png");

    // Merged, the file kept: its entries join the catalog as one source.
    env.prompt.Answer(true);
    env.prompt.Answer(false);
    Run(ui::cmd::kMergeMapFile);
    EXPECT_NE(Item("/All/Tools/Zip notes"), nullptr);
    EXPECT_NE(Item("/All/MapFiles/Tools"), nullptr);
    Run(ui::cmd::kSaveMenu);
    EXPECT_EQ(Data("hdata.dat"),
              "1:/All/Tools\n1:/All/Tools/Line counter\n1:/All/Tools/Zip notes\n");

    // "Map  Info:" lists it and its Delete takes exactly those entries out.
    auto answered = uitest::WhenModal([this](QWidget* w) {
        auto* d = qobject_cast<ui::MapInfoDialog*>(w);
        if (!d) {
            ADD_FAILURE() << "not the Map Info dialog";
            w->close();
            return;
        }
        EXPECT_EQ(d->List()->topLevelItemCount(), 1);
        if (d->List()->topLevelItemCount() == 1) {
            EXPECT_EQ(d->List()->topLevelItem(0)->text(2), QStringLiteral("/pub/maps/tools.amb"));
            Shot(d, "map-info.png");
            env.prompt.Answer(true);
            d->DeleteButton()->click();
            EXPECT_EQ(d->List()->topLevelItemCount(), 0);
        }
        d->accept();
    });
    Run(ui::cmd::kMapInfo);
    EXPECT_TRUE(*answered);
    EXPECT_EQ(Data("hosts.dat"), "Tools:127.0.0.1:/pub/maps/tools.amb:0:tools.amb\n")
        << "written when the dialog opened";
    EXPECT_EQ(Item("/All/Tools/Zip notes"), nullptr);
    EXPECT_NE(Item("/All/MapFiles/Tools/All/Tools/Zip notes"), nullptr);
    Run(ui::cmd::kSaveMenu);
    EXPECT_EQ(Data("hdata.dat"), "");
    EXPECT_EQ(Data("hosts.dat"), "Tools:127.0.0.1:/pub/maps/tools.amb:1:tools.amb\n");
    EXPECT_EQ(Data("ambit.amb").find("Zip notes"), std::string::npos);
}

TEST_F(MapFilesWindowTest, UpdateAddsTheNewCopyBesideTheOldItem) {
    ASSERT_TRUE(server.Started()) << server.Error();
    fs::create_directories(env.DataDir() + "/MapFiles");
    std::ofstream(env.DataDir() + "/MapFiles/tools.amb") << kToolsMap;
    std::ofstream(env.DataDir() + "/MapFiles/local.amb")
        << "%Internet Ambit Data File %ver=\"1.0\" %name=\"Local\"\n";
    StartWindow();
    Select("/All/MapFiles/Local");
    frame->UpdateCommands();
    EXPECT_FALSE(Action(ui::cmd::kUpdateMapFileItem)->isEnabled());

    root.Write("pub/maps/tools.amb", std::string(kToolsMap) + "/All/Tools/New one:d:::::: \n");
    Select("/All/MapFiles/Tools");
    env.prompt.Answer(true);
    Run(ui::cmd::kUpdateMapFileItem);
    EXPECT_EQ(env.prompt.Questions().back(), "Are you sure you want to update this file?");
    EXPECT_TRUE(env.prompt.Messages().empty()) << env.prompt.Messages()[0];
    EXPECT_EQ(ChildTexts(Item("/All/MapFiles")),
              (std::vector<std::string>{"Local", "Tools", "Tools"}));
    EXPECT_NE(Item("/All/MapFiles/Tools/All/Tools/New one"), nullptr);
}

}  // namespace
