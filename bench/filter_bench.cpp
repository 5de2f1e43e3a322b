// The tree's filter, timed per keystroke: a catalog is read (and with
// "loaded" every folder's contents file too), shown in a tree view with
// its root open, and a word is typed into the search letter by letter.
// Each keystroke is timed from the search to the end of the view's next
// complete paint, after the field took the keyboard and the search was
// prepared (indexing the tree, reading the files). Prints "keystroke_ms
// <max> mean <mean> first <ms> cpu_ms <max> cpu_mean <mean> prepare_ms
// <ms> prepare_cpu <ms> items <n> matches <n> unloaded <n>" (times of one keystroke, wall
// clock and the thread's CPU time).
//
//     filter-bench DATADIR WORD loaded|unloaded
#include <QApplication>
#include <QElapsedTimer>
#include <QPixmap>
#include <QTreeView>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "catalog/catalog.h"
#include "ui/catalog_model.h"
#include "ui/catalog_sort_proxy.h"
#include "ui/tree_finder.h"

// CPU time of this thread: on a shared machine wall time mostly measures
// the other programs.
static double CpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

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

    // Ctrl+F: the field takes the keyboard and the tree is indexed.
    QElapsedTimer preparing;
    preparing.start();
    const double prepareCpu0 = CpuMs();
    finder.Prepare(unloaded);
    const double prepare = static_cast<double>(preparing.nsecsElapsed()) / 1e6;
    const double prepareCpu = CpuMs() - prepareCpu0;

    const std::string word = argv[2];
    double worst = 0, sum = 0, first = 0, worstCpu = 0, sumCpu = 0;
    for (size_t n = 1; n <= word.size(); ++n) {
        QElapsedTimer clock;
        clock.start();
        const double cpu0 = CpuMs();
        finder.Find(QString::fromStdString(word.substr(0, n)), unloaded);
        double found = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        QApplication::processEvents();
        QPixmap shown = view.grab();
        double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        double cpu = CpuMs() - cpu0;
        worstCpu = std::max(worstCpu, cpu);
        sumCpu += cpu;
        if (n == 1) first = ms;
        std::fprintf(stderr, "%s: %.1f ms (search and expand %.1f), cpu %.1f ms\n",
                     word.substr(0, n).c_str(), ms, found, cpu);
        worst = std::max(worst, ms);
        sum += ms;
    }
    std::printf(
        "keystroke_ms %.1f mean %.1f first %.1f cpu_ms %.1f cpu_mean %.1f prepare_ms %.1f "
        "prepare_cpu %.1f items %zu matches %zu unloaded %zu\n",
        worst, sum / static_cast<double>(word.size()), first, worstCpu,
        sumCpu / static_cast<double>(word.size()), prepare, prepareCpu, catalog.Tree().ItemCount(),
        finder.Search().MatchCount(), finder.Search().UnloadedMatchCount());
    return 0;
}
