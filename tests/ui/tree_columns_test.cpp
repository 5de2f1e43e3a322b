// The tree's columns and its sorted look: values read out of typed text,
// what each kind of entry shows (a site's password and listing state never),
// sorting by value within a folder while the catalog keeps its order, and
// the way back to that order. Both the model and the proxy run under
// QAbstractItemModelTester.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QTextDocument>
#include <QTreeView>
#include <optional>

#include "catalog/catalog_tree.h"
#include "catalog/tree_item.h"
#include "catalog_finder.h"
#include "ui/catalog_model.h"
#include "ui/catalog_sort_proxy.h"
#include "ui/column_values.h"

namespace {

using catalog::CEntry;
using catalog::TreeItem;
using ui::CatalogModel;

TEST(ColumnValues, ValuesComeOnlyFromTextThatHoldsThem) {
    struct Size {
        const char* text;
        std::optional<qint64> bytes;
    };
    for (const Size& c :
         {Size{"3281", 3281}, Size{" 0 ", 0}, Size{"999999999999999999", 999999999999999999},
          Size{"9999999999999999999", std::nullopt},  // past any file size
          Size{"", std::nullopt}, Size{"12 KB", std::nullopt}, Size{"-5", std::nullopt},
          Size{"1e9", std::nullopt}})
        EXPECT_EQ(ui::SizeBytes(c.text), c.bytes) << c.text;

    struct Date {
        const char* text;
        std::optional<int> key;
    };
    for (const Date& c :
         {Date{"03/11/26", 20260311}, Date{"12/01/99", 19991201}, Date{"Jul/17/96", 19960717},
          Date{"jUL/7/69", 20690707}, Date{"1/2/2003", 20030102}, Date{"13/01/99", std::nullopt},
          Date{"00/10/99", std::nullopt}, Date{"01/32/99", std::nullopt},
          Date{"Foo/17/96", std::nullopt}, Date{"03/11/260", std::nullopt},
          Date{"INSITE", std::nullopt}, Date{"03/11", std::nullopt}, Date{"", std::nullopt}})
        EXPECT_EQ(ui::DateKey(c.text), c.key) << c.text;

    struct Price {
        const char* text;
        const char* shown;
    };
    for (const Price& c :
         {Price{"4.50", "$4.50"}, Price{" 12 ", "$12.00"}, Price{"0.00", "0.00"}, Price{"", ""},
          Price{"ask us", "ask us"}, Price{"-3.00", "-3.00"}, Price{"99999999999", "99999999999"}})
        EXPECT_EQ(ui::PriceText(c.text).toStdString(), c.shown) << c.text;
    EXPECT_EQ(ui::HumanSize(3281).toStdString(), "3.2 kB");
    EXPECT_EQ(ui::ExactSize(1048576).toStdString(), "1,048,576 bytes");
}

class TreeColumnsTest : public ::testing::Test {
protected:
    TreeColumnsTest()
        : model(tree), modelTester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal) {
        proxy.setSourceModel(&model);
        proxyTester = std::make_unique<QAbstractItemModelTester>(
            &proxy, QAbstractItemModelTester::FailureReportingMode::Fatal);
        view.setModel(&proxy);
        // The catalog orders these by text, capitals first; Sub is a folder.
        Add("beta.zip", "3281", "03/11/26", "4.50", "ftp.b.example");
        Add("Alpha.zip", "120", "Jul/17/96", "0.00", "ftp.a.example");
        Add("gamma.zip", "", "yesterday", "", "");
        Add("Sub/inner.zip", "1", "01/01/01", "", "ftp.a.example");
        Add("delta.zip", "1048576", "12/01/99", "12.00", "ftp.c.example");
        shop = uitest::FindPath(tree, "/All/Shop");
        view.expandAll();
    }

    TreeItem* Add(const std::string& name, const char* size, const char* date, const char* price,
                  const char* host, const char* description = "An item") {
        CEntry e;
        e.Location = "/All/Shop/" + name;
        e.Name = catalog::NameFromLocation(e.Location);
        e.Description = description;
        e.Path = "/pub/" + e.Name;
        e.Size = size;
        e.Date = date;
        e.Price = price;
        e.Address = host;
        return tree.InsertEntry(e);
    }

    // The shop's rows as the proxy shows them.
    std::vector<std::string> Shown() {
        std::vector<std::string> names;
        const QModelIndex parent = proxy.mapFromSource(model.IndexOf(shop));
        for (int r = 0; r < proxy.rowCount(parent); ++r)
            names.push_back(proxy.index(r, 0, parent).data().toString().toStdString());
        return names;
    }

    std::string Cell(const std::string& path, int column, int role = Qt::DisplayRole) {
        const QModelIndex index = model.IndexOf(uitest::FindPath(tree, path));
        return index.siblingAtColumn(column).data(role).toString().toStdString();
    }

    catalog::CatalogTree tree;
    CatalogModel model;
    QAbstractItemModelTester modelTester;
    ui::CatalogSortProxy proxy;
    std::unique_ptr<QAbstractItemModelTester> proxyTester;
    QTreeView view;
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
    const Case cases[] = {
        {"/All/Shop/beta.zip", CatalogModel::kSizeColumn, Qt::DisplayRole, "3.2 kB"},
        {"/All/Shop/beta.zip", CatalogModel::kSizeColumn, Qt::ToolTipRole, "3,281 bytes"},
        {"/All/Shop/beta.zip", CatalogModel::kDateColumn, Qt::DisplayRole, "03/11/26"},
        {"/All/Shop/beta.zip", CatalogModel::kPriceColumn, Qt::DisplayRole, "$4.50"},
        {"/All/Shop/beta.zip", CatalogModel::kHostColumn, Qt::DisplayRole, "ftp.b.example"},
        {"/All/Shop/beta.zip", CatalogModel::kHostColumn, Qt::ToolTipRole, description},
        {"/All/Shop/Alpha.zip", CatalogModel::kPriceColumn, Qt::DisplayRole, ""},  // free
        {"/All/Shop/gamma.zip", CatalogModel::kDateColumn, Qt::DisplayRole, "yesterday"},
        {"/All/Shop/gamma.zip", CatalogModel::kSizeColumn, Qt::ToolTipRole, description},
        {"/All/Shop", CatalogModel::kSizeColumn, Qt::DisplayRole, ""},
        // A site keeps its password in Price and its listing state in Date.
        {"/All/FTP Sites/Site", CatalogModel::kPriceColumn, Qt::DisplayRole, ""},
        {"/All/FTP Sites/Site", CatalogModel::kDateColumn, Qt::DisplayRole, ""},
        {"/All/FTP Sites/Site", CatalogModel::kHostColumn, Qt::DisplayRole, "ftp.s.example"},
        {"/All/FTP Sites/Site/notes.txt", CatalogModel::kSizeColumn, Qt::DisplayRole, "17 bytes"},
        {"/All/FTP Sites/Site/notes.txt", CatalogModel::kDateColumn, Qt::DisplayRole, "Jul/17/96"},
    };
    CEntry site;
    site.Location = "/All/FTP Sites/Site";
    site.Name = "Site";
    site.Description = catalog::kFtpSiteDescription;
    site.Address = "ftp.s.example";
    site.Price = "scrambled-password";
    site.Date = "INSITE";
    tree.InsertEntry(site);
    CEntry file = site;
    file.Location += "/notes.txt";
    file.Name = "notes.txt";
    file.Description.clear();
    file.Path = catalog::kFtpFilePath;
    file.Size = "17";
    file.Date = "Jul/17/96";
    tree.InsertEntry(file);
    for (const Case& c : cases)
        EXPECT_EQ(Cell(c.path, c.column, c.role), c.text.toStdString())
            << c.path << " column " << c.column;

    // A priced item looks different from a free one at a glance.
    auto picture = [&](const char* path) {
        return model.IndexOf(uitest::FindPath(tree, path))
            .data(Qt::DecorationRole)
            .value<QIcon>()
            .pixmap(32)
            .toImage();
    };
    EXPECT_NE(picture("/All/Shop/beta.zip"), picture("/All/Shop/Alpha.zip"));
    EXPECT_EQ(picture("/All/Shop/gamma.zip"), picture("/All/Shop/Alpha.zip"));
}

TEST_F(TreeColumnsTest, SortsByValueWithinTheFolderAndKeepsTheCatalogOrder) {
    const std::vector<std::string> stored = uitest::ChildTexts(shop);
    ASSERT_EQ(Shown(), stored);
    struct Case {
        int column;
        Qt::SortOrder order;
        std::vector<std::string> shown;
    };
    // Folders stay first; items without a value stay last either way.
    const Case cases[] = {
        {CatalogModel::kNameColumn,
         Qt::AscendingOrder,
         {"Sub", "Alpha.zip", "beta.zip", "delta.zip", "gamma.zip"}},
        {CatalogModel::kNameColumn,
         Qt::DescendingOrder,
         {"Sub", "gamma.zip", "delta.zip", "beta.zip", "Alpha.zip"}},
        {CatalogModel::kSizeColumn,
         Qt::AscendingOrder,
         {"Sub", "Alpha.zip", "beta.zip", "delta.zip", "gamma.zip"}},
        {CatalogModel::kSizeColumn,
         Qt::DescendingOrder,
         {"Sub", "delta.zip", "beta.zip", "Alpha.zip", "gamma.zip"}},
        {CatalogModel::kDateColumn,
         Qt::AscendingOrder,
         {"Sub", "Alpha.zip", "delta.zip", "beta.zip", "gamma.zip"}},
        {CatalogModel::kPriceColumn,
         Qt::DescendingOrder,
         {"Sub", "delta.zip", "beta.zip", "Alpha.zip", "gamma.zip"}},
        {CatalogModel::kHostColumn,
         Qt::AscendingOrder,
         {"Sub", "Alpha.zip", "beta.zip", "delta.zip", "gamma.zip"}},
    };
    for (const Case& c : cases) {
        proxy.sort(c.column, c.order);
        EXPECT_EQ(Shown(), c.shown) << "column " << c.column << " order " << c.order;
        EXPECT_EQ(uitest::ChildTexts(shop), stored);
    }

    // Sorted, a new item takes its sorted place at once.
    proxy.sort(CatalogModel::kSizeColumn, Qt::AscendingOrder);
    Add("epsilon.zip", "2000", "", "", "");
    EXPECT_EQ(Shown(), (std::vector<std::string>{"Sub", "Alpha.zip", "epsilon.zip", "beta.zip",
                                                 "delta.zip", "gamma.zip"}));

    proxy.ShowCatalogOrder();
    EXPECT_TRUE(proxy.InCatalogOrder());
    EXPECT_EQ(Shown(), uitest::ChildTexts(shop));
}

}  // namespace
