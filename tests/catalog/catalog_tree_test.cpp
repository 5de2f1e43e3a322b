// The catalog tree: inserting by path, sibling order (by text or the
// parent's own), lookups and removals, each announced to an observer
// (checked by the shadow observer).
#include "catalog/catalog_tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <random>
#include <string>
#include <utility>
#include <vector>

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

// Parents whose children keep an order of their own (a sorted listing, items
// appended by the user): lookups, insertions by text, big appended runs.
using catalogtest::ShadowObserver;
using ChildOrder = catalogtest::ObservedTree;

std::unique_ptr<CEntry> Listed(const std::string& name, bool dir) {
    auto e = std::make_unique<CEntry>();
    e->Name = name;
    e->Path = dir ? kFtpDirPath : kFtpFilePath;
    return e;
}

// Directories first, then by exact bytes: the order a listing is shown in.
bool DirsFirst(const TreeItem& a, const TreeItem& b) {
    bool da = a.Entry() && a.Entry()->IsFtpDir(), db = b.Entry() && b.Entry()->IsFtpDir();
    if (da != db) return da;
    return a.Text() < b.Text();
}

std::vector<std::string> Texts(const TreeItem* parent) {
    std::vector<std::string> out;
    for (int r = 0; r < parent->ChildCount(); ++r) out.push_back(parent->Child(r)->Text());
    return out;
}

// Every child is found by its own text, and as the first of its name.
void ExpectAllFound(const CatalogTree& tree, const TreeItem* parent) {
    for (int r = 0; r < parent->ChildCount(); ++r) {
        TreeItem* found = tree.FindChild(parent, parent->Child(r)->Text());
        ASSERT_NE(found, nullptr) << parent->Child(r)->Text();
        ASSERT_EQ(found->Text(), parent->Child(r)->Text());
        ASSERT_LE(found->Row(), r);
    }
}

TEST_F(ChildOrder, ASortedParentKeepsItsOrderAndFindsChildrenByExactText) {
    TreeItem* site = tree.InsertItem(tree.InsertItem(nullptr, "All", nullptr), "site", nullptr);
    const std::pair<const char*, bool> listing[] = {
        {"b.txt", false}, {"a", true}, {"A.txt", false}, {"B", true}};
    for (auto [name, dir] : listing) tree.InsertItem(site, name, Listed(name, dir));
    EXPECT_EQ(Texts(site), (std::vector<std::string>{"a", "A.txt", "B", "b.txt"}));
    EXPECT_FALSE(site->HasCustomOrder());

    tree.SortChildren(site, DirsFirst);
    EXPECT_EQ(Texts(site), (std::vector<std::string>{"B", "a", "A.txt", "b.txt"}));
    EXPECT_TRUE(site->HasCustomOrder());
    EXPECT_EQ(shadow.reorders, 1);
    tree.SortChildren(site, DirsFirst);
    EXPECT_EQ(shadow.reorders, 1) << "an order that moves nothing is not announced";
    ExpectAllFound(tree, site);
    EXPECT_EQ(tree.FindChild(site, "b"), nullptr);
    EXPECT_EQ(tree.FindChild(site, "a.txt"), nullptr);

    // By text: before the first sibling, from the top, that sorts after it.
    tree.InsertItem(site, "c", Listed("c", false));
    tree.InsertItem(site, "aa", Listed("aa", false));
    EXPECT_EQ(Texts(site), (std::vector<std::string>{"aa", "B", "a", "A.txt", "b.txt", "c"}));
    // A rename keeps the row, and the lookup follows the new text.
    TreeItem* a = tree.FindChild(site, "a");
    tree.SetItemText(a, "zz");
    EXPECT_EQ(a->Row(), 2);
    EXPECT_EQ(tree.FindChild(site, "zz"), a);
    EXPECT_EQ(tree.FindChild(site, "a"), nullptr);
}

TEST_F(ChildOrder, ABigAppendedRunIsAnnouncedOnceAndFoundThroughEveryChange) {
    TreeItem* big = tree.InsertItem(tree.InsertItem(nullptr, "All", nullptr), "Big", nullptr);
    shadow.notifications = 0;
    std::vector<std::string> names;
    for (int i = 0; i < 20000; ++i) names.push_back("n" + std::to_string(i));
    std::shuffle(names.begin(), names.end(), std::mt19937(11));
    names.insert(names.begin() + 100, "dup");
    names.push_back("dup");
    {
        CatalogTree::BulkInsert bulk(tree);
        for (const auto& n : names)
            tree.AppendItem(big, n, n.back() == '3' ? nullptr : Listed(n, false));
        EXPECT_NE(tree.FindChild(big, names.back()), nullptr) << "pending children are found";
        EXPECT_EQ(shadow.notifications, 0);
    }
    EXPECT_EQ(shadow.notifications, 1);
    EXPECT_EQ(Texts(big), names);
    ExpectAllFound(tree, big);
    ASSERT_NE(tree.FindChild(big, "dup"), nullptr);
    EXPECT_EQ(tree.FindChild(big, "dup")->Row(), 100);

    // Inserting by path walks into the existing folder, never a twin of it.
    size_t count = tree.ItemCount();
    CEntry inner;
    inner.Name = "x";
    inner.Location = "/All/Big/n13/x";
    TreeItem* x = tree.InsertEntry(inner);
    EXPECT_EQ(x->Parent(), tree.FindChild(big, "n13"));
    EXPECT_EQ(tree.ItemCount(), count + 1);
    // And an entry already there is not loaded twice.
    ASSERT_TRUE(tree.FindChild(big, "n1") && tree.FindChild(big, "n1")->Entry());
    CEntry same = *tree.FindChild(big, "n1")->Entry();
    same.Location = "/All/Big/n1";
    tree.FindChild(big, "n1")->Entry()->Location = same.Location;
    tree.ForgetRememberedParent();
    EXPECT_EQ(tree.InsertEntryIfNew(CEntry(same)), nullptr);
    same.Size = "1";
    EXPECT_NE(tree.InsertEntryIfNew(CEntry(same)), nullptr);

    // Removals and additions keep the lookup right.
    tree.DeleteSubtree(tree.FindChild(big, "dup"), true);
    ASSERT_NE(tree.FindChild(big, "dup"), nullptr);
    EXPECT_EQ(tree.FindChild(big, "dup")->Row(), big->ChildCount() - 1);
    tree.DeleteEntriesWithId(0, big->Child(0));  // every leaf that carries an entry
    EXPECT_EQ(big->ChildCount(), 2000);
    EXPECT_EQ(tree.FindChild(big, "n4"), nullptr);
    ExpectAllFound(tree, big);
    TreeItem* last = tree.AppendItem(big, "n4", nullptr);
    EXPECT_EQ(tree.FindChild(big, "n4"), last);
}

TEST_F(ChildOrder, InABulkTextInsertionsMergeFirstAndAppendedOnesFollow) {
    TreeItem* all = tree.InsertItem(nullptr, "All", nullptr);
    tree.InsertItem(all, "b", nullptr);
    tree.InsertItem(all, "d", nullptr);
    {
        CatalogTree::BulkInsert bulk(tree);
        tree.AppendItem(all, "a", nullptr);
        tree.InsertItem(all, "c", nullptr);
        tree.AppendItem(all, "0", nullptr);
        TreeItem* fresh = tree.AppendItem(all, "new", nullptr);
        tree.InsertItem(fresh, "z", nullptr);
        tree.AppendItem(fresh, "y", nullptr);
    }
    EXPECT_EQ(Texts(all), (std::vector<std::string>{"b", "c", "d", "a", "0", "new"}));
    EXPECT_EQ(Texts(tree.FindChild(all, "new")), (std::vector<std::string>{"z", "y"}));
}

TEST_F(ChildOrder, MovesToTheEndAndAnEmptiedParentBackInTextOrder) {
    TreeItem* all = tree.InsertItem(nullptr, "All", nullptr);
    TreeItem* from = tree.InsertItem(all, "from", nullptr);
    TreeItem* to = tree.InsertItem(all, "to", nullptr);
    for (int i = 0; i < 20; ++i) tree.InsertItem(to, "t" + std::to_string(i + 10), nullptr);
    TreeItem* m = tree.InsertItem(from, "m", nullptr);
    tree.AppendItem(from, "a", nullptr);

    ASSERT_TRUE(tree.MoveItem(m, to, CatalogTree::Placement::Last));
    EXPECT_EQ(m->Row(), 20);
    EXPECT_TRUE(to->HasCustomOrder());
    EXPECT_EQ(tree.FindChild(to, "m"), m);
    EXPECT_EQ(tree.FindChild(from, "m"), nullptr);
    // Moving within the same parent to its end, then back by text.
    ASSERT_TRUE(tree.MoveItem(to->Child(0), to, CatalogTree::Placement::Last));
    EXPECT_EQ(to->Child(20)->Text(), "t10");
    ASSERT_TRUE(tree.MoveItem(to->Child(20), to));
    EXPECT_EQ(to->Child(0)->Text(), "t10");
    ExpectAllFound(tree, to);

    // "from" lost its last child to a move: text order again.
    ASSERT_TRUE(tree.MoveItem(from->Child(0), to));
    EXPECT_FALSE(from->HasChildren());
    EXPECT_FALSE(from->HasCustomOrder());
    tree.InsertItem(from, "z", nullptr);
    tree.InsertItem(from, "b", nullptr);
    EXPECT_EQ(Texts(from), (std::vector<std::string>{"b", "z"}));
    // So does a parent whose children were deleted.
    tree.SortChildren(from,
                      [](const TreeItem& a, const TreeItem& b) { return b.Text() < a.Text(); });
    EXPECT_EQ(Texts(from), (std::vector<std::string>{"z", "b"}));
    tree.DeleteSubtree(from->Child(0), false);
    EXPECT_FALSE(from->HasCustomOrder());
    shadow.Verify();
    tree.AppendItem(nullptr, "Other", nullptr);
    EXPECT_TRUE(tree.Top()->HasCustomOrder());
    tree.Clear();
    EXPECT_FALSE(tree.Top()->HasCustomOrder());
}

// Children named "<key>#<arrival>" arrive in batches, each sorted by key;
// sorting by key alone must give the stable order, announced once.
TEST_F(ChildOrder, SortingSortedBatchesGivesTheStableOrder) {
    const struct {
        const char* what;
        std::vector<int> batchSizes;
        int keys;  // keys drawn from 0..keys-1
    } cases[] = {
        {"one batch", {500}, 1000},
        {"two batches", {300, 400}, 1000},
        {"odd count of batches", {200, 1, 350, 90, 260}, 50},
        {"many batches, few keys", std::vector<int>(40, 100), 7},
        {"single children: the plain sort", std::vector<int>(300, 1), 100},
        {"empty batches between", {0, 120, 0, 0, 80}, 30},
    };
    auto key = [](const TreeItem& t) { return t.Text().substr(0, t.Text().find('#')); };
    TreeItem* all = tree.InsertItem(nullptr, "All", nullptr);
    std::mt19937 rng(7919);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TreeItem* parent = tree.InsertItem(all, c.what, nullptr);
        std::vector<std::string> expected;
        for (int size : c.batchSizes) {
            std::vector<std::string> batch;
            for (int i = 0; i < size; ++i) {
                char k[16];
                std::snprintf(k, sizeof k, "%06d#", static_cast<int>(rng() % c.keys));
                batch.push_back(k);
            }
            std::stable_sort(batch.begin(), batch.end());
            for (std::string& text : batch) {
                text += std::to_string(expected.size());
                tree.AppendItem(parent, text, nullptr);
                expected.push_back(text);
            }
        }
        std::stable_sort(expected.begin(), expected.end(), [](const auto& a, const auto& b) {
            return a.substr(0, a.find('#')) < b.substr(0, b.find('#'));
        });
        const int reorders = shadow.reorders;
        tree.SortChildren(parent,
                          [&](const TreeItem& a, const TreeItem& b) { return key(a) < key(b); });
        EXPECT_EQ(Texts(parent), expected);
        EXPECT_LE(shadow.reorders - reorders, 1);
        shadow.Verify();
    }
}

// An observer written before reorders were announced: it gets a reset, and
// what it rebuilds from the reset matches the tree.
class ResetOnlyObserver : public ShadowObserver {
public:
    using ShadowObserver::ShadowObserver;
    void ChildrenAboutToBeReordered(TreeItem* p) override {
        CatalogTreeObserver::ChildrenAboutToBeReordered(p);
    }
    void ChildrenReordered(TreeItem* p) override { CatalogTreeObserver::ChildrenReordered(p); }
    void TreeAboutToBeReset() override { ++begun; }
    int begun = 0;
};

TEST(ChildOrderReset, AnObserverThatKnowsNoReordersSeesAReset) {
    CatalogTree tree;
    ResetOnlyObserver observer(tree);
    tree.SetObserver(&observer);
    TreeItem* all = tree.InsertItem(nullptr, "All", nullptr);
    tree.InsertItem(all, "a.txt", Listed("a.txt", false));
    tree.InsertItem(all, "z", Listed("z", true));
    tree.SortChildren(all, DirsFirst);
    EXPECT_EQ(observer.begun, 1);
    EXPECT_EQ(observer.reorders, 0);
    observer.Verify();
    EXPECT_EQ(Texts(all), (std::vector<std::string>{"z", "a.txt"}));
}

}  // namespace
}  // namespace catalog
