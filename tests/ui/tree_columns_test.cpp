// The tree's columns and its sorted look: values read out of typed text,
// what each kind of entry shows (never a site's password or listing state),
// sorting by value within a folder while the catalog keeps its order, and
// the way back to that order. Both the model and the proxy run under
// QAbstractItemModelTester.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QTextDocument>

#include "catalog/catalog_tree.h"
#include "catalog/tree_item.h"
#include "catalog_finder.h"
#include "ui/catalog_model.h"
#include "ui/catalog_sort_proxy.h"

namespace {

using catalog::CEntry;
using catalog::TreeItem;
using ui::CatalogModel;

class TreeColumnsTest : public ::testing::Test {
protected:
    TreeColumnsTest()
        : model(tree), modelTester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal) {
        proxy.setSourceModel(&model);
        proxyTester = std::make_unique<QAbstractItemModelTester>(
            &proxy, QAbstractItemModelTester::FailureReportingMode::Fatal);
        // Sub is a folder; the catalog keeps the children in text order.
        Add("Shop/beta", "3281", "03/11/26", "4.50", "ftp.b.example");
        Add("Shop/Alpha", "120", "Jul/17/96", "0.00", "ftp.a.example");
        Add("Shop/gamma", "99999999999999999999", "yesterday", "", "");
        Add("Shop/Sub/inner", "1", "01/01/01", "", "ftp.a.example");
        Add("Shop/delta", "1048576", "12/01/99", "12.00", "ftp.c.example");
        // A site keeps its password in Price and its listing state in Date.
        Add("Sites/Site", "", "INSITE", "password", "ftp.s.example", catalog::kFtpSiteDescription);
        Add("Sites/Site/notes", "17", "Jul/17/96", "", "ftp.s.example", "", catalog::kFtpFilePath);
        shop = uitest::FindPath(tree, "/All/Shop");
    }

    void Add(const std::string& location, const char* size, const char* date, const char* price,
             const char* host, const char* description = "An item", const char* path = "/pub/x") {
        CEntry e;
        e.Location = "/All/" + location;
        e.Name = catalog::NameFromLocation(e.Location);
        e.Description = description;
        e.Path = path;
        e.Size = size;
        e.Date = date;
        e.Price = price;
        e.Address = host;
        tree.InsertEntry(e);
    }

    // The shop's rows as the proxy shows them, joined by blanks.
    std::string Shown() {
        std::string names;
        const QModelIndex parent = proxy.mapFromSource(model.IndexOf(shop));
        for (int r = 0; r < proxy.rowCount(parent); ++r)
            names += (r ? " " : "") + proxy.index(r, 0, parent).data().toString().toStdString();
        return names;
    }

    catalog::CatalogTree tree;
    CatalogModel model;
    QAbstractItemModelTester modelTester;
    ui::CatalogSortProxy proxy;
    std::unique_ptr<QAbstractItemModelTester> proxyTester;
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
    for (const Case& c : cases) {
        const QModelIndex index = model.IndexOf(uitest::FindPath(tree, c.path));
        EXPECT_EQ(index.siblingAtColumn(c.column).data(c.role).toString(), c.text) << c.path;
    }

    // A priced item looks different from a free one at a glance.
    auto picture = [&](const char* path) {
        const QVariant icon = model.IndexOf(uitest::FindPath(tree, path)).data(Qt::DecorationRole);
        return icon.value<QIcon>().pixmap(32).toImage();
    };
    EXPECT_NE(picture("/All/Shop/beta"), picture("/All/Shop/Alpha"));
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
    Add("Shop/epsilon", "2000", "", "", "");
    EXPECT_EQ(Shown(), "Sub Alpha epsilon beta delta gamma");
    proxy.ShowCatalogOrder();
    EXPECT_EQ(Shown(), "Alpha beta delta epsilon gamma Sub");
}

}  // namespace
