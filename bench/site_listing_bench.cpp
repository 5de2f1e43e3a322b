// Driver of bench/site-listing.sh: opens an FTP site on 127.0.0.1 through
// the live-browsing code, then lists one large directory into a catalog
// tree exactly as activating it in the main window does, while a 50 ms
// timer counts its ticks (the window must stay responsive during a
// listing). Prints one line:
//
//   entries=N list_seconds=S ticks=T expected_ticks=E
//
// usage: site-listing-bench PORT DIRECTORY   (AMBIT_REGISTRY should point
// at a scratch file: the listing records the host's speed values there)
#include <QCoreApplication>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "catalog/catalog_tree.h"
#include "ftpsites/site_browser.h"
#include "store/registry_application.h"
#include "store/scramble.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s PORT DIRECTORY\n", argv[0]);
        return 2;
    }
    setenv("AMBIT_FTP_PORT", argv[1], 1);
    const std::string directory = argv[2];
    store::SetApplication(store::kApplicationName, store::kApplicationVersion);

    catalog::CatalogTree tree;
    ftpsites::SiteBrowser browser(tree);
    catalog::CEntry site;
    site.Name = "Bench";
    site.Description = catalog::kFtpSiteDescription;
    site.Address = "127.0.0.1";
    site.DownloadDir = "anonymous";
    site.Price = store::Scramble("bench@example.org");
    site.Location = std::string(catalog::kFtpSitesLocation) + site.Name;
    catalog::TreeItem* siteItem = tree.InsertEntry(site);
    if (!browser.OpenSite(siteItem)) {
        std::fprintf(stderr, "site-listing-bench: could not open the site\n");
        return 1;
    }
    catalog::TreeItem* dir = tree.FindChild(siteItem, directory);
    if (!dir) {
        std::fprintf(stderr, "site-listing-bench: no directory %s on the site\n",
                     directory.c_str());
        return 1;
    }

    int ticks = 0;
    QTimer timer;
    timer.setInterval(50);
    QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start();
    auto start = std::chrono::steady_clock::now();
    bool listed = browser.ListDirectory(dir);
    double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    timer.stop();
    if (!listed) {
        std::fprintf(stderr, "site-listing-bench: the listing failed\n");
        return 1;
    }
    std::printf("entries=%d list_seconds=%.3f ticks=%d expected_ticks=%d\n", dir->ChildCount(),
                seconds, ticks, static_cast<int>(seconds / 0.05));
    browser.CloseSite(siteItem);
    return 0;
}
