// The item model over the catalog tree and what views and paper show of it.
// Every change of the tree must reach a view as the right begin/end calls,
// or views show stale rows or crash: QAbstractItemModelTester checks the
// model and the sorting proxy as each change happens, and after each step
// the model's whole contents are compared with the tree's. Then the columns
// (never a site's password or listing state), sorting by value while the
// catalog keeps its order, the pictures of each kind, and printing.
#include "ui/catalog_model.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QPrinter>
#include <QProcess>
#include <QTextDocument>
#include <QTreeView>
#include <sstream>

#include "catalog/catalog.h"
#include "catalog/catalog_tree.h"
#include "catalog_finder.h"
#include "temp_dir.h"
#include "ui/catalog_sort_proxy.h"
#include "ui/tree_printer.h"

namespace {

using catalog::CEntry;
using catalog::TreeItem;
using ui::CatalogModel;
using Fatal = QAbstractItemModelTester::FailureReportingMode;

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
    CatalogModelTest() {
        proxy.setSourceModel(&model);
        proxyTester = std::make_unique<QAbstractItemModelTester>(&proxy, Fatal::Fatal);
        // A view watching the same changes catches what the tester cannot:
        // persistent indexes and expansion state kept across them.
        view.setModel(&model);
    }

    TreeItem* Add(const std::string& location, const char* description = "An item",
                  const char* path = "/pub/x", const char* size = "", const char* date = "",
                  const char* price = "", const char* host = "127.0.0.1", int mapFileId = 0) {
        CEntry e;
        e.Location = "/All/" + location;
        e.Name = catalog::NameFromLocation(e.Location);
        e.Description = description;
        e.Path = path;
        e.Size = size;
        e.Date = date;
        e.Price = price;
        e.Address = host;
        e.MapFileId = mapFileId;
        return tree.InsertEntry(e);
    }
    QModelIndex Index(const char* path) { return model.IndexOf(uitest::FindPath(tree, path)); }
    void ExpectInStep() { EXPECT_EQ(DumpModel(model), DumpTree(tree.Top())); }

    catalog::Catalog catalog{"/nonexistent-data-dir"};
    catalog::CatalogTree& tree = catalog.Tree();
    CatalogModel model{tree};
    QAbstractItemModelTester tester{&model, Fatal::Fatal};
    ui::CatalogSortProxy proxy;
    std::unique_ptr<QAbstractItemModelTester> proxyTester;
    QTreeView view;
};

TEST_F(CatalogModelTest, InsertionsByPathInBulkAndByReading) {
    Add("B/b1");
    Add("A/a2");
    Add("A/a1");
    ExpectInStep();
    EXPECT_EQ(DumpModel(model), "All(A(a1,a2),B(b1))");
    {
        catalog::CatalogTree::BulkInsert bulk(tree);
        for (int i = 99; i >= 0; --i) Add("C/item" + std::to_string(1000 + i));
        Add("A/a0");
    }
    ExpectInStep();
    QModelIndex all = model.index(0, 0);
    EXPECT_EQ(model.rowCount(model.index(2, 0, all)), 100);
    const TreeItem* first = model.ItemAt(model.index(0, 0, model.index(0, 0, all)));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->Text(), "a0");

    // A large data file read into the populated tree.
    std::ostringstream file;
    file << "%Internet Ambit Data File %ver=\"1.0\"\n";
    for (int i = 0; i < 5000; ++i)
        file << "/All/F" << (i % 7) << "/item" << i << ":Description:0.00:127.0.0.1:/pub/f" << i
             << ".zip:01/01/26:100:[default]\n";
    std::istringstream in(file.str());
    ASSERT_TRUE(catalog.ReadDataFile(in, "", 0));
    ExpectInStep();
    EXPECT_EQ(model.rowCount(all), 10);
}

TEST_F(CatalogModelTest, RemovalsMovesRenamesAndResets) {
    for (const char* loc : {"A/x", "A/y", "B/z", "B/w", "C/v"}) Add(loc);
    for (const char* loc : {"MapFiles/M/m1", "MapFiles/M/m2"})
        Add(loc, "An item", "/pub/x", "", "", "", "", 44);
    view.expandAll();
    QPersistentModelIndex z = Index("/All/B/z");
    ASSERT_TRUE(z.isValid());

    EXPECT_EQ(tree.DeleteEntriesWithId(44, tree.RootItem()), 2u);
    ExpectInStep();
    tree.DeleteSubtree(tree.FindChild(tree.RootItem(), "A"), true);
    ExpectInStep();
    EXPECT_EQ(z.data().toString(), QStringLiteral("z")) << "an index of an untouched row survives";

    TreeItem* b = tree.FindChild(tree.RootItem(), "B");
    ASSERT_TRUE(tree.MoveItem(tree.FindChild(tree.RootItem(), "C"), b));
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

// A shop of items with typed values, a site, a site directory and a map file.
class TreeColumnsTest : public CatalogModelTest {
protected:
    TreeColumnsTest() {
        // Sub is a folder; the catalog keeps the children in text order.
        Add("Shop/beta", "An item", "/pub/x", "3281", "03/11/26", "4.50", "ftp.b.example");
        Add("Shop/Alpha", "An item", "/pub/x", "120", "Jul/17/96", "0.00", "ftp.a.example");
        Add("Shop/gamma", "An item", "/pub/x", "99999999999999999999", "yesterday", "", "");
        Add("Shop/Sub/inner", "An item", "/pub/x", "1", "01/01/01", "", "ftp.a.example");
        Add("Shop/delta", "An item", "/pub/x", "1048576", "12/01/99", "12.00", "ftp.c.example");
        // A site keeps its password in Price and its listing state in Date.
        Add("Sites/Site", catalog::kFtpSiteDescription, "/", "", "INSITE", "password",
            "ftp.s.example");
        Add("Sites/Site/notes", "", catalog::kFtpFilePath, "17", "Jul/17/96", "", "ftp.s.example");
        Add("Sites/Site/pub", "x", catalog::kFtpDirPath);
        Add("Maps/Map", catalog::kMapFileDescription, "/m.amb");
        shop = uitest::FindPath(tree, "/All/Shop");
    }

    // The shop's rows as the proxy shows them, joined by blanks.
    std::string Shown() {
        std::string names;
        const QModelIndex parent = proxy.mapFromSource(model.IndexOf(shop));
        for (int r = 0; r < proxy.rowCount(parent); ++r)
            names += (r ? " " : "") + proxy.index(r, 0, parent).data().toString().toStdString();
        return names;
    }

    TreeItem* shop = nullptr;
};

TEST_F(TreeColumnsTest, EachKindShowsWhatItHas) {
    struct Case {
        const char* path;
        int column;
        int role;
        QString text;
    };
    // Tool tips take markup for rich text; a description is plain text.
    const QString description = Qt::convertFromPlainText("An item");
    using M = CatalogModel;
    const Case cases[] = {
        {"/All/Shop/beta", M::kSizeColumn, Qt::DisplayRole, "3.2 kB"},
        {"/All/Shop/beta", M::kSizeColumn, Qt::ToolTipRole, "3,281 bytes"},
        {"/All/Shop/beta", M::kPriceColumn, Qt::DisplayRole, "$4.50"},
        {"/All/Shop/beta", M::kHostColumn, Qt::ToolTipRole, description},
        {"/All/Shop/Alpha", M::kPriceColumn, Qt::DisplayRole, ""},          // free
        {"/All/Shop/gamma", M::kDateColumn, Qt::DisplayRole, "yesterday"},  // as typed
        {"/All/Shop/gamma", M::kSizeColumn, Qt::DisplayRole, "99999999999999999999"},
        {"/All/Shop", M::kHostColumn, Qt::DisplayRole, ""},
        {"/All/Sites/Site", M::kPriceColumn, Qt::DisplayRole, ""},
        {"/All/Sites/Site", M::kDateColumn, Qt::DisplayRole, ""},
        {"/All/Sites/Site", M::kHostColumn, Qt::DisplayRole, "ftp.s.example"},
        {"/All/Sites/Site/notes", M::kSizeColumn, Qt::DisplayRole, "17 bytes"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Index(c.path).siblingAtColumn(c.column).data(c.role).toString(), c.text)
            << c.path;
}

// Each kind is told from the others at a glance, while the tree keeps the
// folder images' numbers for sites, site directories and map files.
TEST_F(TreeColumnsTest, EachKindHasAPictureOfItsOwn) {
    const char* kinds[] = {"/All/Shop",     "/All/Sites/Site", "/All/Sites/Site/pub",
                           "/All/Maps/Map", "/All/Shop/beta",  "/All/Shop/Alpha"};
    auto picture = [&](const char* path, QIcon::Mode mode = QIcon::Normal) {
        return Index(path).data(Qt::DecorationRole).value<QIcon>().pixmap(32, mode).toImage();
    };
    // Listing a directory gives it the folder images, as the site browser does.
    tree.SetItemImages(uitest::FindPath(tree, kinds[2]), catalog::kImageFolderClosed,
                       catalog::kImageFolderOpen);
    for (size_t i = 0; i < std::size(kinds); ++i) {
        if (i < 4) {
            EXPECT_EQ(uitest::FindPath(tree, kinds[i])->Image(), catalog::kImageFolderClosed);
        }
        for (size_t j = 0; j < i; ++j)
            EXPECT_NE(picture(kinds[i]), picture(kinds[j]))
                << kinds[i] << " looks like " << kinds[j];
    }
    EXPECT_NE(picture(kinds[1]), picture(kinds[1], QIcon::Selected)) << "an open site looks open";
}

TEST_F(TreeColumnsTest, SortsByValueWithinTheFolderAndKeepsTheCatalogOrder) {
    const std::vector<std::string> stored = uitest::ChildTexts(shop);
    ASSERT_EQ(Shown(), "Alpha beta delta gamma Sub");
    struct Case {
        int column;
        Qt::SortOrder order;
        const char* shown;
    };
    // Folders stay first; items without a value stay last either way.
    using M = CatalogModel;
    const Case cases[] = {
        {M::kNameColumn, Qt::AscendingOrder, "Sub Alpha beta delta gamma"},
        {M::kNameColumn, Qt::DescendingOrder, "Sub gamma delta beta Alpha"},
        {M::kSizeColumn, Qt::AscendingOrder, "Sub Alpha beta delta gamma"},
        {M::kSizeColumn, Qt::DescendingOrder, "Sub delta beta Alpha gamma"},
        {M::kDateColumn, Qt::AscendingOrder, "Sub Alpha delta beta gamma"},
        {M::kPriceColumn, Qt::DescendingOrder, "Sub delta beta Alpha gamma"},
        {M::kHostColumn, Qt::AscendingOrder, "Sub Alpha beta delta gamma"},
    };
    for (const Case& c : cases) {
        proxy.sort(c.column, c.order);
        EXPECT_EQ(Shown(), c.shown) << "column " << c.column << " order " << c.order;
        EXPECT_EQ(uitest::ChildTexts(shop), stored);
    }
    // Sorted, a new item takes its sorted place at once.
    proxy.sort(M::kSizeColumn, Qt::AscendingOrder);
    Add("Shop/epsilon", "An item", "/pub/x", "2000");
    EXPECT_EQ(Shown(), "Sub Alpha epsilon beta delta gamma");
    proxy.ShowCatalogOrder();
    EXPECT_EQ(Shown(), "Alpha beta delta epsilon gamma Sub");
}

// Printed to a PDF: the rows a user sees, paginated; the rows of collapsed
// folders stay off the paper.
TEST_F(CatalogModelTest, PrintsTheVisibleRowsOverAsManyPagesAsNeeded) {
    testsupport::TempDir dir;
    for (int i = 0; i < 300; ++i) Add("Folder/Item " + std::to_string(1000 + i));
    view.expand(model.IndexOf(tree.RootItem()));

    // Returns the pages printed and the PDF's text as laid out, blank lines
    // left out; pdftotext ends each page with a form feed.
    auto print = [&](std::vector<std::string>& lines) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString path = QString::fromStdString(dir.File("out.pdf"));
        printer.setOutputFileName(path);
        const int pages = ui::TreePrinter(view).Print(printer);
        QProcess text;
        text.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, "-"});
        EXPECT_TRUE(text.waitForFinished(30000)) << "pdftotext (poppler-utils) is needed";
        const QString out = QString::fromUtf8(text.readAllStandardOutput());
        EXPECT_EQ(out.count('\f'), pages);
        lines.clear();
        for (const QString& l : out.split('\n'))
            if (!l.trimmed().isEmpty()) lines.push_back(l.toStdString());
        return pages;
    };
    // The rows of items, and the indents of the folder and of its items.
    size_t folderIndent = std::string::npos, itemIndent = std::string::npos;
    auto items = [&](const std::vector<std::string>& lines) {
        std::vector<std::string> rows;
        for (const std::string& l : lines) {
            size_t at = l.find_first_not_of(" \f");
            if (l.compare(at, std::string::npos, "Folder") == 0) folderIndent = at;
            if (l.compare(at, 5, "Item ") != 0) continue;
            rows.push_back(l.substr(at));
            if (itemIndent == std::string::npos) itemIndent = at;
        }
        return rows;
    };
    std::vector<std::string> lines;
    EXPECT_EQ(print(lines), 1);
    EXPECT_TRUE(items(lines).empty()) << "the folder is collapsed";
    view.expand(Index("/All/Folder"));
    const int pages = print(lines);
    EXPECT_GE(pages, 4) << "302 rows do not fit on a few pages";
    EXPECT_LE(pages, 12);

    // Every row on a line of its own, whole, in order, indented below the
    // folder.
    const std::vector<std::string> rows = items(lines);
    ASSERT_EQ(rows.size(), 300u) << "rows overlap or are cut";
    for (int i = 0; i < 300; ++i) EXPECT_EQ(rows[size_t(i)], "Item " + std::to_string(1000 + i));
    ASSERT_NE(folderIndent, std::string::npos);
    EXPECT_GT(itemIndent, folderIndent);
}

}  // namespace
