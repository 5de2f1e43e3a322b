// Editing rules over one catalog holding every kind of item: where a drop
// goes or why it is refused, taking subtrees out and putting them back
// exactly, and the texts a save could not keep.
#include "catalog/edit_rules.h"

#include <gtest/gtest.h>

#include "catalog_test_util.h"
#include "shadow_observer.h"

namespace catalog {
namespace {

using catalogtest::Dump;

using catalogtest::Entry;

// Every edit is watched by the shadow observer.
class EditRulesTest : public catalogtest::ObservedTree {
protected:
    EditRulesTest() {
        tree.InsertItem(tree.Top(), "All", nullptr);
        for (const CEntry& e : {
                 Entry("/All/Tools/Sub/deep", "d", "/pub/deep.zip"),
                 Entry("/All/Tools/zip", "d", "/pub/zip.zip"),
                 Entry("/All/Games", kNone, kHeaderPath),
                 Entry("/All/Games/tetris", "d", "/pub/t.zip"),
                 Entry("/All/FTP Sites/Site", kFtpSiteDescription, "/pub"),
                 Entry("/All/FTP Sites/Site/dir", "", kFtpDirPath),
                 Entry("/All/FTP Sites/Site/dir/file", "", kFtpFilePath),
                 Entry("/All/MapFiles/map", kMapFileDescription, "/pub/map.amb"),
             })
            tree.InsertEntry(e);
        tree.InsertItem(tree.RootItem(), "Empty", nullptr);
    }

    TreeItem* At(const std::string& path) { return catalogtest::At(tree, path); }
};

TEST_F(EditRulesTest, DropsByKindOfDraggedItemAndTarget) {
    struct Case {
        const char* dragged;
        const char* target;  // "" for no item
        DropAction action;
        const char* parent;  // where it goes, for Move and CopySiteFile
    } cases[] = {
        {"/All/Tools", "/All/Tools/Sub/deep", DropAction::Refused, ""},  // own descendant
        {"/All/Tools", "/All/Tools", DropAction::Refused, ""},
        {"/All/Tools", "", DropAction::Nothing, ""},
        {"/All/Tools", "/All/Games/tetris", DropAction::Move, "/All/Games"},
        {"/All/Tools", "/All/FTP Sites/Site", DropAction::Move, "/All/FTP Sites"},
        {"/All/Tools", "/All/FTP Sites/Site/dir", DropAction::Nothing, ""},  // into a listing
        {"/All/Tools", "/All/MapFiles", DropAction::Nothing, ""},            // never saved
        {"/All/Empty", "/All/Games", DropAction::Nothing, ""},
        {"/All/Games", "/All/Tools", DropAction::Move, "/All/Tools"},
        {"/All/Games", "/All/Tools/zip", DropAction::Move, "/All/Tools"},
        {"/All/Games/tetris", "/All/FTP Sites/Site", DropAction::Nothing, ""},
        {"/All/Games/tetris", "/All/MapFiles/map", DropAction::Nothing, ""},
        {"/All/FTP Sites/Site", "/All/Tools", DropAction::Move, "/All/Tools"},
        {"/All/FTP Sites/Site/dir", "/All/Tools", DropAction::Nothing, ""},
        {"/All/FTP Sites/Site/dir/file", "/All/Tools", DropAction::CopySiteFile, "/All/Tools"},
        {"/All/FTP Sites/Site/dir/file", "/All/Games", DropAction::CopySiteFile, "/All"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.dragged) + " onto " + c.target);
        TreeItem* dragged = At(c.dragged);
        ASSERT_NE(dragged, nullptr);
        TreeItem* target = *c.target ? At(c.target) : nullptr;
        ASSERT_TRUE(!*c.target || target);
        DropPlan plan = PlanDrop(tree, dragged, target);
        EXPECT_EQ(plan.action, c.action);
        if (*c.parent) {
            EXPECT_EQ(plan.parent, At(c.parent));
        }
    }
}

TEST_F(EditRulesTest, TakenSubtreesGoBackExactlyAndMovesCarryTheirLocations) {
    const std::string before = Dump(tree);
    const uint64_t destructions = tree.Destructions();

    TreeItem* parent = nullptr;
    int row = -1;
    TreeItem* tools = At("/All/Tools");
    auto held = tree.TakeSubtree(tools, &parent, &row);
    EXPECT_EQ(At("/All/Tools"), nullptr);
    EXPECT_EQ(tree.PutSubtree(parent, row, std::move(held)), tools);
    EXPECT_EQ(Dump(tree), before);

    // A row that would break the text order is not taken.
    held = tree.TakeSubtree(tools, &parent, &row);
    tree.PutSubtree(parent, 0, std::move(held));
    EXPECT_EQ(Dump(tree), before);

    // A folder moved with its whole subtree; every entry below learns its
    // new place (folder lines are saved with the stored location).
    ASSERT_TRUE(tree.MoveItem(tools, At("/All/Games"), CatalogTree::Placement::Last));
    tree.UpdateLocations(tools);
    EXPECT_EQ(At("/All/Games/Tools/Sub/deep")->Entry()->Location, "/All/Games/Tools/Sub/deep");
    ASSERT_TRUE(tree.MoveItemToRow(tools, parent, row));
    tree.UpdateLocations(tools);
    EXPECT_EQ(Dump(tree), before);
    EXPECT_EQ(tree.Destructions(), destructions) << "nothing was destroyed";

    // A listing's children come and go without counting; catalog items do.
    tree.DeleteSubtree(At("/All/FTP Sites/Site/dir"), true);
    EXPECT_EQ(tree.Destructions(), destructions);
    tree.DeleteSubtree(At("/All/Empty"), true);
    EXPECT_EQ(tree.Destructions(), destructions + 1);
}

TEST(EditRules, TextsAndFilesTheCatalogCanKeep) {
    EXPECT_EQ(StoredDownloadDir("x"), kDefaultDownloadDir);
    EXPECT_EQ(StoredDownloadDir(""), kDefaultDownloadDir);
    EXPECT_EQ(StoredDownloadDir("/d"), "/d");
    EXPECT_EQ(PathDirectory("/pub/x/file.zip"), "/pub/x/");
    EXPECT_EQ(TrimmedName(" \t "), "");
    EXPECT_EQ(TrimmedName("  Tools "), "Tools");
    EXPECT_EQ(ColonProblem({{"a", "name"}, {"host:2121", "address"}, {"b:c", "path"}}),
              "Please do not use colons in the address.");
    EXPECT_EQ(ColonProblem({{"a", "name"}}), "");
    EXPECT_EQ(NameProblem("a/b"), "Please do not use \"/\" in a name.");

    struct {
        const char* downloadDir;
        const char* file;  // "" when nothing may be deleted
    } files[] = {
        {"map.amb", "/data/MapFiles/map.amb"},
        {"../ambit.amb", ""},
        {"/etc/passwd", ""},
        {"..", ""},
        {".", ""},
        {"", ""},
        {"sub/map.amb", ""},
    };
    for (const auto& f : files)
        EXPECT_EQ(MapFileToDelete("/data", f.downloadDir), f.file) << f.downloadDir;
}

}  // namespace
}  // namespace catalog
