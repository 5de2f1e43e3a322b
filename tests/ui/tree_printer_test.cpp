// Printing the catalog to a PDF file: the rows a user sees, paginated;
// the rows of collapsed folders stay off the paper.
#include "ui/tree_printer.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QTreeView>

#include "catalog/catalog.h"
#include "catalog/catalog_tree.h"
#include "temp_dir.h"
#include "ui/catalog_model.h"

namespace {

int PdfPages(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return -1;
    QByteArray pdf = f.readAll();
    if (!pdf.startsWith("%PDF")) return -1;
    return static_cast<int>(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") +
                            pdf.count("/Type /Page>") + pdf.count("/Type /Page "));
}

TEST(TreePrinter, PrintsTheVisibleRowsOverAsManyPagesAsNeeded) {
    testsupport::TempDir dir;
    catalog::CatalogTree tree;
    for (int i = 0; i < 300; ++i) {
        catalog::CEntry e;
        e.Name = "Item " + std::to_string(1000 + i);
        e.Location = "/All/Folder/" + e.Name;
        e.Path = "/pub/x.zip";
        tree.InsertEntry(e);
    }
    ui::CatalogModel model(tree);
    QTreeView view;
    view.setModel(&model);
    view.expand(model.IndexOf(tree.RootItem()));

    auto print = [&](const std::string& name) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        QString path = QString::fromStdString(dir.File(name));
        printer.setOutputFileName(path);
        int pages = ui::TreePrinter(view).Print(printer);
        EXPECT_EQ(PdfPages(path), pages) << name;
        return pages;
    };
    EXPECT_EQ(print("collapsed.pdf"), 1) << "two rows: All and its folder";
    view.expand(model.IndexOf(tree.FindChild(tree.RootItem(), "Folder")));
    int pages = print("expanded.pdf");
    EXPECT_GE(pages, 4) << "302 rows do not fit on a few pages";
    EXPECT_LE(pages, 12);

    // Read back as laid out: every row on a line of its own, whole, in
    // order, the folder's items indented below it.
    QProcess text;
    text.start(QStringLiteral("pdftotext"),
               {QStringLiteral("-layout"), QString::fromStdString(dir.File("expanded.pdf")),
                QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(30000)) << "pdftotext (poppler-utils) is needed";
    std::vector<std::string> lines;
    for (const QString& l : QString::fromUtf8(text.readAllStandardOutput()).split('\n'))
        if (!l.trimmed().isEmpty()) lines.push_back(l.toStdString());
    std::vector<std::string> items;
    size_t folderIndent = std::string::npos, itemIndent = std::string::npos;
    for (const std::string& l : lines) {
        size_t at = l.find_first_not_of(" \f");
        if (l.compare(at, std::string::npos, "Folder") == 0) folderIndent = at;
        if (l.compare(at, 5, "Item ") != 0) continue;
        items.push_back(l.substr(at));
        if (itemIndent == std::string::npos) itemIndent = at;
    }
    ASSERT_EQ(items.size(), 300u) << "rows overlap or are cut";
    for (int i = 0; i < 300; ++i) EXPECT_EQ(items[size_t(i)], "Item " + std::to_string(1000 + i));
    ASSERT_NE(folderIndent, std::string::npos);
    EXPECT_GT(itemIndent, folderIndent);
}

}  // namespace
