// The tree's filter, timed per keystroke: a catalog is read (and with
// "loaded" every folder's contents file too), shown in a tree view with
// its root open, and a word is typed into the search letter by letter.
// Each keystroke is timed from the search to the end of the view's next
// complete paint. Prints "keystroke_ms <max> mean <mean> first <ms>
// index_ms <ms> items <n> matches <n> unloaded <n>".
//
//     filter-bench DATADIR WORD loaded|unloaded
#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTreeView>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "catalog/catalog.h"
#include "ui/catalog_model.h"
#include "ui/catalog_sort_proxy.h"
#include "ui/tree_finder.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: filter-bench DATADIR WORD loaded|unloaded\n");
        return 2;
    }
    QApplication app(argc, argv);
    const bool unloaded = std::strcmp(argv[3], "unloaded") == 0;
    catalog::Catalog catalog(argv[1]);
    if (!catalog.LoadMainDataFile()) {
        std::fprintf(stderr, "filter-bench: no catalog in %s\n", argv[1]);
        return 1;
    }
    if (!unloaded) catalog.LoadAllFolders();

    ui::CatalogModel model(catalog.Tree());
    ui::CatalogSortProxy proxy;
    proxy.setSourceModel(&model);
    QTreeView view;
    view.setUniformRowHeights(true);
    view.setModel(&proxy);
    ui::TreeFinder finder(catalog, &model, &proxy, &view);
    proxy.SetFinder(&finder);
    view.resize(800, 600);
    view.show();
    view.expand(proxy.mapFromSource(model.IndexOf(catalog.Tree().RootItem())));
    QApplication::processEvents();
    (void)view.grab();

    const std::string word = argv[2];
    double worst = 0, sum = 0, first = 0;
    for (size_t n = 1; n <= word.size(); ++n) {
        QElapsedTimer clock;
        clock.start();
        finder.Find(QString::fromStdString(word.substr(0, n)), unloaded);
        QApplication::processEvents();
        QPixmap shown = view.grab();
        double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        if (n == 1) first = ms;
        worst = std::max(worst, ms);
        sum += ms;
    }
    // Where the first keystroke's time goes: indexing the tree (or the
    // files), which later keystrokes reuse.
    QElapsedTimer clock;
    clock.start();
    catalog::CatalogSearch fresh(catalog);
    fresh.Search(word.substr(0, 1), unloaded);
    double index = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    std::printf(
        "keystroke_ms %.1f mean %.1f first %.1f index_ms %.1f items %zu matches %zu unloaded %zu\n",
        worst, sum / static_cast<double>(word.size()), first, index, catalog.Tree().ItemCount(),
        finder.Search().MatchCount(), finder.Search().UnloadedMatchCount());
    return 0;
}
