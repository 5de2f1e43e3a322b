// The item model over the catalog tree: every change of the tree must reach
// a view as the right begin/end calls, or views show stale rows or crash.
// QAbstractItemModelTester checks each change as it happens; after each step
// the model's whole contents are compared with the tree's.
#include "ui/catalog_model.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QTreeView>
#include <sstream>

#include "catalog/catalog.h"
#include "catalog/catalog_tree.h"

namespace {

using catalog::CEntry;
using catalog::TreeItem;

CEntry Item(const std::string& location, int mapFileId = 0) {
    CEntry e;
    e.Name = catalog::NameFromLocation(location);
    e.Location = location;
    e.Description = "An item";
    e.Address = "127.0.0.1";
    e.Path = "/pub/" + e.Name;
    e.MapFileId = mapFileId;
    return e;
}

// "All(A(x,y),B)" style dump of the model.
std::string DumpModel(const QAbstractItemModel& m, const QModelIndex& parent = QModelIndex()) {
    std::string out;
    for (int r = 0; r < m.rowCount(parent); ++r) {
        QModelIndex i = m.index(r, 0, parent);
        if (r) out += ",";
        out += i.data().toString().toStdString();
        if (m.rowCount(i)) out += "(" + DumpModel(m, i) + ")";
    }
    return out;
}

std::string DumpTree(const TreeItem* item) {
    std::string out;
    for (int r = 0; r < item->ChildCount(); ++r) {
        if (r) out += ",";
        out += item->Child(r)->Text();
        if (item->Child(r)->HasChildren()) out += "(" + DumpTree(item->Child(r)) + ")";
    }
    return out;
}

class CatalogModelTest : public ::testing::Test {
protected:
    CatalogModelTest()
        : model(tree), tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal) {
        // A view watching the same changes catches what the tester cannot:
        // persistent indexes and expansion state kept across them.
        view.setModel(&model);
    }

    void ExpectInStep() { EXPECT_EQ(DumpModel(model), DumpTree(tree.Top())); }

    catalog::CatalogTree tree;
    ui::CatalogModel model;
    QAbstractItemModelTester tester;
    QTreeView view;
};

TEST_F(CatalogModelTest, InsertionsByPathAndInBulk) {
    tree.InsertEntry(Item("/All/B/b1"));
    tree.InsertEntry(Item("/All/A/a2"));
    tree.InsertEntry(Item("/All/A/a1"));
    ExpectInStep();
    EXPECT_EQ(DumpModel(model), "All(A(a1,a2),B(b1))");
    {
        catalog::CatalogTree::BulkInsert bulk(tree);
        for (int i = 99; i >= 0; --i)
            tree.InsertEntry(Item("/All/C/item" + std::to_string(1000 + i)));
        tree.InsertEntry(Item("/All/A/a0"));
    }
    ExpectInStep();
    QModelIndex all = model.index(0, 0);
    EXPECT_EQ(model.rowCount(model.index(2, 0, all)), 100);
    const TreeItem* first = model.ItemAt(model.index(0, 0, model.index(0, 0, all)));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->Text(), "a0");
}

TEST_F(CatalogModelTest, RemovalsMovesRenamesAndResets) {
    for (const char* loc : {"/All/A/x", "/All/A/y", "/All/B/z", "/All/B/w", "/All/C/v"})
        tree.InsertEntry(Item(loc));
    tree.InsertEntry(Item("/All/MapFiles/M/m1", 44));
    tree.InsertEntry(Item("/All/MapFiles/M/m2", 44));
    view.expandAll();
    QPersistentModelIndex z =
        model.IndexOf(tree.FindChild(tree.FindChild(tree.RootItem(), "B"), "z"));
    ASSERT_TRUE(z.isValid());

    EXPECT_EQ(tree.DeleteEntriesWithId(44, tree.RootItem()), 2u);
    ExpectInStep();
    TreeItem* a = tree.FindChild(tree.RootItem(), "A");
    tree.DeleteSubtree(a, true);
    ExpectInStep();
    EXPECT_EQ(z.data().toString(), QStringLiteral("z")) << "an index of an untouched row survives";

    TreeItem* b = tree.FindChild(tree.RootItem(), "B");
    TreeItem* c = tree.FindChild(tree.RootItem(), "C");
    ASSERT_TRUE(tree.MoveItem(c, b));
    ExpectInStep();
    tree.SetItemText(b, "Zed");
    ExpectInStep();
    EXPECT_EQ(DumpModel(model), "All(MapFiles(M),Zed(C(v),w,z))");
    EXPECT_EQ(z.data().toString(), QStringLiteral("z"));

    tree.Clear();
    ExpectInStep();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_FALSE(z.isValid());
}

TEST(CatalogModel, LargeLoadIntoAPopulatedTree) {
    std::ostringstream file;
    file << "%Internet Ambit Data File %ver=\"1.0\"\n";
    for (int i = 0; i < 5000; ++i)
        file << "/All/F" << (i % 7) << "/item" << i << ":Description:0.00:127.0.0.1:/pub/f" << i
             << ".zip:01/01/26:100:[default]\n";
    catalog::Catalog cat("/nonexistent-data-dir");
    // The catalog's own tree here; the model watches it through the reads.
    ui::CatalogModel catModel(cat.Tree());
    QAbstractItemModelTester catTester(&catModel,
                                       QAbstractItemModelTester::FailureReportingMode::Fatal);
    cat.Tree().InsertEntry(Item("/All/Existing/e"));
    std::istringstream in(file.str());
    ASSERT_TRUE(cat.ReadDataFile(in, "", 0));
    EXPECT_EQ(DumpModel(catModel), DumpTree(cat.Tree().Top()));
    EXPECT_EQ(catModel.rowCount(catModel.index(0, 0)), 8);
}

// Sites, site directories and map files must be told from catalog folders
// at a glance, while the tree keeps the folder images' numbers for them.
TEST_F(CatalogModelTest, SitesDirectoriesAndMapFilesHavePicturesOfTheirOwn) {
    auto entry = [](const std::string& location, const char* path, const char* description) {
        CEntry e = Item(location);
        e.Path = path;
        e.Description = description;
        return e;
    };
    struct Kind {
        const char* name;
        TreeItem* item;
    };
    const Kind kinds[] = {
        {"folder", tree.InsertEntry(entry("/All/Folder", "HEADER", "A folder"))},
        {"site", tree.InsertEntry(entry("/All/Site", "/", "FTPSITE"))},
        {"site directory", tree.InsertEntry(entry("/All/Site/pub", "FTPDIR", "x"))},
        {"map file", tree.InsertEntry(entry("/All/Map", "/m.amb", "LOCALARF"))},
    };
    auto picture = [this](TreeItem* item, QIcon::Mode mode) {
        return model.data(model.IndexOf(item), Qt::DecorationRole)
            .value<QIcon>()
            .pixmap(32, mode)
            .toImage();
    };
    // Listing a directory gives it the folder images, as the site browser does.
    tree.SetItemImages(kinds[2].item, catalog::kImageFolderClosed, catalog::kImageFolderOpen);
    for (size_t i = 0; i < std::size(kinds); ++i) {
        SCOPED_TRACE(kinds[i].name);
        ASSERT_NE(kinds[i].item, nullptr);
        EXPECT_EQ(kinds[i].item->Image(), catalog::kImageFolderClosed);
        EXPECT_FALSE(picture(kinds[i].item, QIcon::Normal).isNull());
        for (size_t j = 0; j < i; ++j)
            EXPECT_NE(picture(kinds[i].item, QIcon::Normal), picture(kinds[j].item, QIcon::Normal))
                << "looks like the " << kinds[j].name;
    }
    EXPECT_NE(picture(kinds[1].item, QIcon::Normal), picture(kinds[1].item, QIcon::Selected))
        << "an open site looks open";
}

}  // namespace
