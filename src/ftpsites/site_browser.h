// Live browsing of FTP sites inside the catalog tree: opening a site (log
// in, list its starting directory), listing its directories on demand,
// Refresh and Close Site. Every listed directory or file becomes an FTPDIR
// or FTPFILE entry below the item that was opened, in the listing order:
// directories first, each group by exact name. This is the one API the
// main window calls for its Open Site, Refresh and Close Site commands and
// for activating a site or directory that has no children yet.
//
// Listings wait in nested rounds of the event loop, so commands can
// re-enter while one runs: a second listing on the same site is refused
// with a message, Close Site ends a running listing, and deleting an item
// while it is listed is survived (the listing's results are dropped).
//
// Errors are shown through platform::CurrentPrompt(): a failed connection
// as the client's context and error text joined by "\n", a failure during
// a listing joined by "--".
#pragma once

#include <string>
#include <vector>

#include "catalog/catalog_tree.h"

namespace ftpsites {

class SiteBrowserView;

inline constexpr const char* kSiteBusyMessage =
    "This site is currently retrieving another directory";
inline constexpr const char* kSiteNotOpenMessage =
    "This site is not connected any more. Close it and open it again.";

class SiteBrowser {
public:
    // `tree` and `view` must outlive the browser; `view` may be null.
    explicit SiteBrowser(catalog::CatalogTree& tree, SiteBrowserView* view = nullptr);
    void SetView(SiteBrowserView* view) { view_ = view; }

    // Opens or lists `item`. With `connect`, `item` is an FTP site to log
    // in to (its connection replaces any earlier one); without, `item` is a
    // directory of an open site or an open site whose children were just
    // removed. An item already listed is only expanded. Returns whether a
    // listing was shown (false when connecting failed or the listing was
    // ended by Close Site or by deleting the item).
    bool OpenSiteItem(catalog::TreeItem* item, bool connect);

    // Open Site: an entry without children is connected and listed.
    bool OpenSite(catalog::TreeItem* item);
    // Activation of an FTPDIR without children.
    bool ListDirectory(catalog::TreeItem* item) { return OpenSiteItem(item, false); }
    // Refresh of a site or directory: its children are removed and listed
    // again over the open connection (a site whose connection is gone is
    // connected again). Refused while the site lists something else.
    bool Refresh(catalog::TreeItem* item);
    // Close Site for the site that holds `item`: its children go, its state
    // becomes closed and the connection says QUIT (or, while a listing
    // runs, is aborted, which ends that listing).
    void CloseSite(catalog::TreeItem* item);

    // Whether the site holding `item` has a listing running.
    static bool IsListing(const catalog::TreeItem* item);
    // Whether `site` has a live connection (opened and not closed).
    static bool IsConnected(const catalog::TreeItem* site);

private:
    class ListingRun;
    bool Connect(catalog::TreeItem* item);
    void Insert(catalog::TreeItem* item, std::vector<catalog::CEntry>& entries);
    void RestoreImages(catalog::TreeItem* item);
    void Expand(catalog::TreeItem* item);

    catalog::CatalogTree& tree_;
    SiteBrowserView* view_;
};

}  // namespace ftpsites
