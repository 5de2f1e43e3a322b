// The tree-side pieces of live browsing that need no server: listed
// entries and their order, remote paths of items below a site, and telling
// whether an item survived a wait.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "catalog/catalog_tree.h"
#include "ftpsites/item_chain.h"
#include "ftpsites/listed_entries.h"
#include "ftpsites/site_paths.h"
#include "site_entry.h"

namespace ftpsites {
namespace {

using catalog::CatalogTree;
using catalog::CEntry;
using catalog::TreeItem;

CEntry Listed(const char* name, bool dir) {
    ListedLine line;
    line.name = name;
    line.kind = dir ? ListedKind::Directory : ListedKind::File;
    return MakeListedEntry(line, dir, "ftp.example.org", "/All/FTP Sites/Example");
}

TEST(ListedEntries, DirectoriesFirstThenFilesEachByExactName) {
    std::vector<CEntry> v = {Listed("a.txt", false), Listed("b", true), Listed("B.txt", false),
                             Listed("A", true), Listed("a", true)};
    CEntry other;  // not a listed kind: sorts after both, never "equal" to them
    other.Name = "0";
    v.push_back(other);
    std::stable_sort(v.begin(), v.end(), [](const CEntry& a, const CEntry& b) {
        return CompareListedEntries(a, b) < 0;
    });
    std::vector<std::string> names;
    for (const auto& e : v) names.push_back(e.Name);
    EXPECT_EQ(names, (std::vector<std::string>{"A", "a", "b", "B.txt", "a.txt", "0"}));
    EXPECT_EQ(CompareListedEntries(Listed("same", true), Listed("same", true)), 0);
}

// A site with a directory and a file below it, as a listing leaves them.
struct SiteTree {
    CatalogTree tree;
    TreeItem* site = nullptr;
    TreeItem* pub = nullptr;
    TreeItem* file = nullptr;

    explicit SiteTree(const std::string& sitePath) {
        site = tree.InsertEntry(
            testsupport::SiteEntry("Example", "", "", sitePath, "ftp.example.org"));
        pub = tree.InsertItem(site, "pub", std::make_unique<CEntry>(Listed("pub", true)));
        file = tree.InsertItem(pub, "read me.txt",
                               std::make_unique<CEntry>(Listed("read me.txt", false)));
    }
};

TEST(SitePaths, RemotePathOfItemsBelowASiteWithoutDoubleSlashes) {
    SiteTree t("/srv/ftp");
    EXPECT_EQ(FindSiteItem(t.file), t.site);
    EXPECT_EQ(FindSiteItem(t.site), t.site);
    EXPECT_EQ(SiteRelativePath(t.file), "/srv/ftp/pub/read me.txt");
    EXPECT_EQ(SiteRelativePath(t.pub), "/srv/ftp/pub");
    EXPECT_EQ(SiteRelativePath(t.site), "/srv/ftp/");
    // Not below a site at all.
    TreeItem* folder = t.tree.FindChild(t.tree.RootItem(), "FTP Sites");
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(SiteRelativePath(folder), "");
    // A site at the server's top gives no double slash.
    SiteTree top("/");
    EXPECT_EQ(SiteRelativePath(top.file), "/pub/read me.txt");
    EXPECT_EQ(SiteRelativePath(top.site), "/");
    SiteTree never("");  // never connected: paths start at the top
    EXPECT_EQ(SiteRelativePath(never.pub), "/pub");
}

TEST(ItemChain, TellsWhetherAnItemSurvived) {
    SiteTree t("/");
    ItemChain file(t.file), pub(t.pub), site(t.site);
    EXPECT_TRUE(file.Alive(t.tree));
    // Siblings added before it move its row; it is still found.
    for (const char* name : {"a", "b", "c"})
        t.tree.InsertItem(t.pub, name, std::make_unique<CEntry>(Listed(name, false)));
    t.tree.InsertItem(t.site, "0first", std::make_unique<CEntry>(Listed("0first", true)));
    EXPECT_TRUE(file.Alive(t.tree));
    EXPECT_TRUE(pub.Alive(t.tree));
    // Deleting an ancestor takes the item with it.
    t.tree.DeleteSubtree(t.pub, true);
    EXPECT_FALSE(file.Alive(t.tree));
    EXPECT_FALSE(pub.Alive(t.tree));
    EXPECT_TRUE(site.Alive(t.tree));
    t.tree.Clear();
    EXPECT_FALSE(site.Alive(t.tree));
}

}  // namespace
}  // namespace ftpsites
