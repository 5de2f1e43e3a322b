// What live browsing needs from the main window beyond the catalog tree,
// whose observer already hears of every item added, removed or changed
// (the busy image included): a busy indication while a listing waits on
// the network, and expanding an item to show what was listed.
#pragma once

namespace catalog {
class TreeItem;
}

namespace ftpsites {

class SiteBrowserView {
public:
    virtual ~SiteBrowserView() = default;
    // A listing of `item` starts waiting on the network; the window stays
    // responsive (nested event loop), so this is the moment to show a busy
    // cursor or a status text. Calls nest when listings of different sites
    // overlap; each start is followed by exactly one finish.
    virtual void ListingStarted(catalog::TreeItem* item) = 0;
    // The listing ended. `item` is null when it was deleted meanwhile.
    virtual void ListingFinished(catalog::TreeItem* item) = 0;
    // Show the children of `item` (expand it in the tree view).
    virtual void ExpandItem(catalog::TreeItem* item) = 0;
};

}  // namespace ftpsites
