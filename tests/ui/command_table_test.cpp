// The command table: ids, menus, toolbar and keys are what users and the
// rest of the program rely on; a wrong id in one place sends a command to
// the wrong effect.
#include "ui/command_table.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QWidget>
#include <set>

#include "ui/command_ids.h"

namespace {

using ui::CommandDefs;
using ui::ContextMenuIds;
using ui::Effect;
using ui::FindCommand;

std::string Text(int id) {
    const ui::CommandDef* s = FindCommand(id);
    return s ? s->text : "<missing>";
}

TEST(CommandTable, EveryIdIsUnique) {
    std::set<int> seen;
    for (const ui::CommandDef& s : CommandDefs())
        EXPECT_TRUE(seen.insert(s.id).second) << "id " << s.id << " appears twice";
}

struct MenuCase {
    int menu;
    std::vector<std::string> texts;
};

TEST(CommandTable, ContextMenusHoldTheirItemsInOrder) {
    const std::vector<MenuCase> cases = {
        {ui::cmd::kMenuSite, {"&Open Site", "&Close Site", "&Upload File", "&Properties"}},
        {ui::cmd::kMenuSiteFile, {"&Upload File", "&Download", "&Properties"}},
        {ui::cmd::kMenuSiteDir, {"&Upload File", "&Refresh"}},
        {ui::cmd::kMenuMapFile, {"&Merge ", "&Update", "&Delete", "&Add"}},
        {ui::cmd::kMenuCatalog,
         {"Down&load", "&Properties", "&Add", "&Edit", "&Delete", "&New Folder"}},
    };
    for (const MenuCase& c : cases) {
        std::vector<std::string> texts;
        for (int id : ContextMenuIds(c.menu)) texts.push_back(Text(id));
        EXPECT_EQ(texts, c.texts) << "menu " << c.menu;
    }
    // The catalog menu's items are the popup ids, each leading to the
    // effect its menu text promises.
    EXPECT_EQ(FindCommand(32858)->effect, Effect::DownloadCatalogItem);
    EXPECT_EQ(FindCommand(32859)->effect, Effect::DownloadSiteFile);
    EXPECT_EQ(FindCommand(32843)->effect, Effect::FetchFirstDataFile);
    EXPECT_EQ(FindCommand(32842)->effect, Effect::DeleteItem);
}

TEST(CommandTable, ToolbarButtonsInOrderWithTheirTips) {
    std::vector<std::string> tips;
    for (int id : ui::ToolbarIds()) tips.push_back(id == 0 ? "|" : FindCommand(id)->tip);
    EXPECT_EQ(tips, (std::vector<std::string>{"Save", "|", "New Folder", "Add", "Delete", "Edit",
                                              "Item Properties", "|", "Upload", "Download", "|",
                                              "New FTP site"}));
    EXPECT_STREQ(FindCommand(32791)->prompt, "Add an item to the tree.");
    EXPECT_STREQ(FindCommand(32839)->prompt, "Press this to upload a file to a FTP site.");
    EXPECT_STREQ(FindCommand(32868)->prompt, "Add a new FTP site.");
    for (int id : ui::ToolbarIds()) {
        if (id) {
            EXPECT_NE(FindCommand(id)->image, ui::ToolImage::None) << id;
        }
    }
}

TEST(CommandTable, AcceleratorTableIsComplete) {
    using K = QKeySequence;
    const std::vector<std::pair<K, int>> table = {
        {K(Qt::CTRL | Qt::Key_C), 57634},
        {K(Qt::CTRL | Qt::Key_Insert), 57634},
        {K(Qt::CTRL | Qt::Key_L), 32865},
        {K(Qt::CTRL | Qt::Key_N), 57600},
        {K(Qt::CTRL | Qt::Key_O), 57601},
        {K(Qt::CTRL | Qt::Key_P), 57607},
        {K(Qt::CTRL | Qt::Key_S), 57603},
        {K(Qt::CTRL | Qt::Key_V), 57637},
        {K(Qt::SHIFT | Qt::Key_Insert), 57637},
        {K(Qt::ALT | Qt::Key_Backspace), 57643},
        {K(Qt::CTRL | Qt::Key_Z), 57643},
        {K(Qt::Key_Delete), 32797},
        {K(Qt::SHIFT | Qt::Key_Delete), 57635},
        {K(Qt::CTRL | Qt::Key_X), 57635},
        {K(Qt::Key_F1), 32847},
        {K(Qt::Key_F6), 57680},
        {K(Qt::SHIFT | Qt::Key_F6), 57681},
        {K(Qt::Key_Return), 32844},
    };
    std::map<QKeySequence, int> owner;
    for (const ui::CommandDef& s : CommandDefs())
        for (const QKeySequence& k : s.keys) {
            EXPECT_EQ(owner.count(k), 0u) << k.toString().toStdString() << " bound twice";
            owner[k] = s.id;
        }
    for (const auto& [key, id] : table) EXPECT_EQ(owner[key], id) << key.toString().toStdString();
    // Enter on the keypad too, and nothing else.
    EXPECT_EQ(owner.size(), table.size() + 1);
}

TEST(CommandTable, CommandsRunOnlyWithAHandlerAndTheirRule) {
    QWidget window;
    ui::CommandTable table(&window);
    int saved = 0, downloads = 0;
    table.SetHandler(Effect::Save, [&] { ++saved; });
    table.SetHandler(Effect::Download, [&] { ++downloads; });
    bool downloadAllowed = false;
    table.UpdateEnabled([&](ui::Rule r) { return r != ui::Rule::Download || downloadAllowed; });

    EXPECT_TRUE(table.Action(57603)->isEnabled());
    EXPECT_TRUE(table.Action(32779)->isEnabled());
    EXPECT_FALSE(table.Action(32862)->isEnabled()) << "rule not met";
    EXPECT_FALSE(table.Action(57634)->isEnabled()) << "Copy never has a handler";
    EXPECT_FALSE(table.Action(32866)->isEnabled()) << "no transfer log handler installed";

    downloadAllowed = true;
    table.UpdateEnabled([&](ui::Rule r) { return r != ui::Rule::Download || downloadAllowed; });
    table.Action(32862)->trigger();
    table.Action(32863)->trigger();
    table.Action(32779)->trigger();
    EXPECT_EQ(downloads, 2);
    EXPECT_EQ(saved, 1);
    EXPECT_EQ(table.Action(32862)->toolTip(), QStringLiteral("Download"));
    EXPECT_EQ(table.Action(32862)->statusTip(), QStringLiteral("Download the selected file."));
}

}  // namespace
