// The command table: a wrong id or a key bound twice sends a command to the
// wrong effect; a command without a handler or whose rule fails must stay
// disabled and never run.
#include "ui/command_table.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QWidget>
#include <set>

namespace {

using ui::Effect;

TEST(CommandTable, IdsAndKeysAreUniqueAndToolbarButtonsHaveImages) {
    std::set<int> ids;
    std::set<QKeySequence> keys;
    for (const ui::CommandDef& s : ui::CommandDefs()) {
        EXPECT_TRUE(ids.insert(s.id).second) << "id " << s.id << " appears twice";
        for (const QKeySequence& k : s.keys)
            EXPECT_TRUE(keys.insert(k).second) << k.toString().toStdString() << " bound twice";
    }
    for (int id : ui::ToolbarIds()) {
        if (!id) continue;
        const ui::CommandDef* def = ui::FindCommand(id);
        ASSERT_NE(def, nullptr) << id;
        EXPECT_NE(def->image, ui::ToolImage::None) << id;
    }
}

TEST(CommandTable, CommandsRunOnlyWithAHandlerAndTheirRule) {
    QWidget window;
    ui::CommandTable table(&window);
    int saved = 0, downloads = 0;
    table.SetHandler(Effect::Save, [&] { ++saved; });
    table.SetHandler(Effect::Download, [&] { ++downloads; });
    bool downloadAllowed = false;
    auto rule = [&](catalog::CatalogCommand r) {
        return r != catalog::CatalogCommand::Download || downloadAllowed;
    };
    table.UpdateEnabled(rule);

    EXPECT_TRUE(table.Action(57603)->isEnabled());
    EXPECT_TRUE(table.Action(32779)->isEnabled());
    EXPECT_FALSE(table.Action(32862)->isEnabled()) << "rule not met";
    EXPECT_FALSE(table.Action(57634)->isEnabled()) << "Copy never has a handler";
    EXPECT_FALSE(table.Action(32866)->isEnabled()) << "no transfer log handler installed";

    downloadAllowed = true;
    table.UpdateEnabled(rule);
    table.Action(32862)->trigger();
    table.Action(32863)->trigger();
    table.Action(32779)->trigger();
    EXPECT_EQ(downloads, 2);
    EXPECT_EQ(saved, 1);
}

}  // namespace
