// The command table: a wrong id or a key bound twice sends a command to the
// wrong effect; a command without a handler or whose rule fails must stay
// disabled and never run.
#include "ui/command_table.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QWidget>
#include <set>

#include "ui/command_ids.h"

namespace {

TEST(CommandTable, IdsAndKeysAreUniqueAndToolbarButtonsHaveImages) {
    std::set<int> ids;
    std::set<QKeySequence> keys;
    for (const ui::CommandDef& s : ui::CommandDefs()) {
        EXPECT_TRUE(ids.insert(s.id).second) << "id " << s.id << " appears twice";
        for (const QKeySequence& k : s.keys)
            EXPECT_TRUE(keys.insert(k).second) << k.toString().toStdString() << " bound twice";
    }
    for (int id : ui::ToolbarIds()) {
        if (!id) continue;  // a separator
        const ui::CommandDef* def = ui::FindCommand(id);
        EXPECT_TRUE(def && def->image != ui::ToolImage::None) << id;
    }
}

TEST(CommandTable, CommandsRunOnlyWithAHandlerAndTheirRule) {
    QWidget window;
    ui::CommandTable table(&window);
    int saved = 0, downloads = 0;
    table.SetHandler(ui::Effect::Save, [&] { ++saved; });
    table.SetHandler(ui::Effect::Download, [&] { ++downloads; });
    bool downloadAllowed = false;
    auto rule = [&](catalog::CatalogCommand r) {
        return r != catalog::CatalogCommand::Download || downloadAllowed;
    };
    table.UpdateEnabled(rule);
    EXPECT_FALSE(table.Action(ui::cmd::kDownloadTool)->isEnabled()) << "rule not met";
    EXPECT_FALSE(table.Action(ui::cmd::kCopy)->isEnabled()) << "no handler";
    EXPECT_FALSE(table.Action(ui::cmd::kTransferLog)->isEnabled()) << "no handler";

    downloadAllowed = true;
    table.UpdateEnabled(rule);
    for (int id : {ui::cmd::kDownloadTool, ui::cmd::kDownloadMenu, ui::cmd::kSaveMenu})
        table.Action(id)->trigger();
    EXPECT_EQ(downloads, 2);
    EXPECT_EQ(saved, 1);
}

}  // namespace
