// The catalog tree: inserting by path, sibling order, lookups and removals,
// each announced to an observer (checked by the shadow observer).
#include "catalog/catalog_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "catalog_test_util.h"
#include "shadow_observer.h"

namespace catalog {
namespace {

using catalogtest::Dump;
using ObservedCatalogTree = catalogtest::ObservedTree;

CEntry Item(const std::string& location, int id = 0) {
    CEntry e;
    e.Location = location;
    e.Name = NameFromLocation(location);
    e.Description = "d";
    e.MapFileId = id;
    return e;
}

// Missing folders are made on the way and the parent is reused; case-
// different folders stay apart and sort stably; a folder named like its
// parent, or like the root, is a folder of its own.
TEST_F(ObservedCatalogTree, InsertingByPathMakesFoldersAndMatchesNamesExactly) {
    for (const char* loc :
         {"/All/tools/b", "/All/Tools/a", "/All/beta", "/All/Alpha", "/All/tools/c", "/All/A/A/x",
          "/All/A/A/y", "/All/All/y", "/Other/z", "noslash"})
        tree.InsertEntry(Item(loc));
    EXPECT_EQ(Dump(tree),
              "All -\n  A -\n    A -\n      x @/All/A/A/x\n      y @/All/A/A/y\n  All -\n"
              "    y @/All/All/y\n  Alpha @/All/Alpha\n  beta @/All/beta\n  noslash @noslash\n"
              "  Other -\n    z @/Other/z\n  tools -\n    b @/All/tools/b\n    c @/All/tools/c\n"
              "  Tools -\n    a @/All/Tools/a\n");
    EXPECT_EQ(tree.ItemCount(), 17u);
    EXPECT_EQ(CatalogTree::ItemPath(catalogtest::At(tree, "/All/A/A/y")), "/All/A/A/y");
    EXPECT_EQ(tree.FindChild(tree.RootItem(), "TOOLS"), nullptr);
}

TEST_F(ObservedCatalogTree, RemovalsBySubtreeIdAndLocation) {
    for (const char* loc : {"/All/a/1", "/All/b/1", "/All/c/1", "/All/d"})
        tree.InsertEntry(Item(loc));
    TreeItem* all = tree.RootItem();
    tree.DeleteSubtree(tree.FindChild(all, "c"), true);
    EXPECT_EQ(Dump(tree), "All -\n  a -\n    1 @/All/a/1\n  b -\n    1 @/All/b/1\n  d @/All/d\n");
    tree.DeleteSubtree(tree.FindChild(all, "b"), false);  // takes the following siblings
    EXPECT_EQ(Dump(tree), "All -\n  a -\n    1 @/All/a/1\n");
    // The remembered parent is gone with its folder, never reused.
    tree.InsertEntry(Item("/All/a/2"));
    tree.DeleteSubtree(tree.FindChild(all, "a"), true);
    EXPECT_EQ(CatalogTree::ItemPath(tree.InsertEntry(Item("/All/a/3"))), "/All/a/3");

    tree.InsertEntry(Item("/All/F/a", 3));
    tree.InsertEntry(Item("/All/F/b", 0));
    tree.InsertEntry(Item("/All/G/d", 3));
    tree.InsertEntry(Item("/All/H", 3));
    tree.InsertEntry(Item("/All/H/e", 0));  // an entry with children is not a leaf
    EXPECT_EQ(tree.DeleteEntriesWithId(3, all), 2u);
    EXPECT_EQ(tree.DeleteEntriesAt({"/All/F/b", "/All/nowhere"}, all), 1u);
    EXPECT_EQ(Dump(tree),
              "All -\n  a -\n    3 @/All/a/3\n  F -\n  G -\n  H @/All/H\n    e @/All/H/e\n");
}

TEST_F(ObservedCatalogTree, RenamingAndMovingKeepTheOrderAndTellTheObserver) {
    for (const char* loc : {"/All/a", "/All/b", "/All/c", "/All/d", "/All/F/x"})
        tree.InsertEntry(Item(loc));
    TreeItem* all = tree.RootItem();
    tree.SetItemText(tree.FindChild(all, "a"), "e");
    tree.SetItemText(tree.FindChild(all, "d"), "B");  // lands after "b": stable
    EXPECT_EQ(Dump(tree),
              "All -\n  b @/All/b\n  B @/All/d\n  c @/All/c\n  e @/All/a\n  F -\n"
              "    x @/All/F/x\n");
    TreeItem* f = tree.FindChild(all, "F");
    EXPECT_TRUE(tree.MoveItem(tree.FindChild(all, "c"), f));
    EXPECT_FALSE(tree.MoveItem(all, f)) << "a folder cannot go into its own subtree";
    EXPECT_EQ(f->ChildCount(), 2);
    EXPECT_EQ(f->Child(0)->Text(), "c");
}

TEST_F(ObservedCatalogTree, BulkInsertInRandomOrderEndsSortedAndAnnouncedCompletely) {
    tree.InsertEntry(Item("/All/Big/m-existing"));
    std::vector<std::string> names;
    for (int i = 0; i < 5000; ++i) names.push_back("n" + std::to_string(i));
    std::mt19937 rng(7);
    std::shuffle(names.begin(), names.end(), rng);
    {
        CatalogTree::BulkInsert bulk(tree);
        for (const auto& n : names) {
            tree.InsertEntry(Item("/All/Big/" + n));
            if (n.back() == '7') tree.InsertEntry(Item("/All/New/" + n + "/leaf"));
        }
        // Lookups see the pending items at once.
        EXPECT_NE(tree.FindChild(tree.FindChild(tree.RootItem(), "Big"), "n4999"), nullptr);
        EXPECT_EQ(shadow.notifications, 3) << "nothing is announced before the bulk ends";
    }
    TreeItem* big = tree.FindChild(tree.RootItem(), "Big");
    ASSERT_EQ(big->ChildCount(), 5001);
    for (int i = 1; i < big->ChildCount(); ++i)
        ASSERT_FALSE(TextLess(big->Child(i)->Text(), big->Child(i - 1)->Text()));
    ASSERT_NE(tree.FindChild(tree.RootItem(), "New"), nullptr);
    EXPECT_EQ(tree.FindChild(tree.RootItem(), "New")->ChildCount(), 500);
    EXPECT_EQ(tree.ItemCount(), 1u + 1u + 5001u + 1u + 500u * 2u);
}

// Copies take every stored field and never the site connection; an entry
// that differs from a sibling in any one field is not taken for a twin.
TEST(CatalogTree, CopiesTakeEveryFieldAndTwinsDifferInNone) {
    CEntry site = Item("/All/FTP Sites/s", 7);
    site.Description = "FTPSITE";
    site.Address = "a", site.Path = "p", site.DownloadDir = "u", site.Price = "pw";
    site.Size = "1", site.Date = "d";
    site.SiteClient = std::make_unique<SiteConnection>();
    CEntry copy(site), assigned;
    assigned = site;
    for (const CEntry* c : {&copy, &assigned}) {
        EXPECT_EQ(c->SiteClient, nullptr);
        EXPECT_EQ(c->Name + c->Description + c->Address + c->Path + c->DownloadDir + c->Location +
                      c->Price + c->Size + c->Date + std::to_string(c->MapFileId),
                  "sFTPSITEapu/All/FTP Sites/spw1d7");
    }
    CatalogTree tree;
    TreeItem* t = tree.InsertEntry(site);
    EXPECT_EQ(t->Entry()->SiteClient, nullptr);
    EXPECT_NE(site.SiteClient, nullptr);

    EXPECT_EQ(tree.InsertEntryIfNew(CEntry(site)), nullptr);
    std::string CEntry::*texts[] = {&CEntry::Description, &CEntry::Address, &CEntry::Path,
                                    &CEntry::DownloadDir, &CEntry::Price,   &CEntry::Size,
                                    &CEntry::Date};
    for (std::string CEntry::*field : texts) {
        CEntry other(site);
        other.*field += "x";
        const std::string changed = other.*field;
        EXPECT_NE(tree.InsertEntryIfNew(std::move(other)), nullptr) << changed;
    }
    CEntry otherId(site);
    otherId.MapFileId = 8;
    EXPECT_NE(tree.InsertEntryIfNew(std::move(otherId)), nullptr);
}

TEST(CatalogTree, VeryDeepPathsDoNotExhaustTheStack) {
    CatalogTree tree;
    std::string loc = "/All";
    for (int i = 0; i < 200000; ++i) loc += "/d";
    tree.InsertEntry(Item(loc + "/x"));
    EXPECT_EQ(tree.ItemCount(), 200002u);
    tree.DeleteEntriesWithId(0, tree.RootItem());
    tree.Clear();
    EXPECT_TRUE(tree.IsEmpty());
}

}  // namespace
}  // namespace catalog
