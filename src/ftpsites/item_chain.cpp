// Rows are never read from an item that may be gone: the remembered row is
// only an index to try among the children of a verified ancestor.
#include "ftpsites/item_chain.h"

namespace ftpsites {

ItemChain::ItemChain(const catalog::TreeItem* item) {
    for (; item; item = item->Parent()) {
        chain_.push_back(item);
        rows_.push_back(item->Row());
    }
}

bool ItemChain::Alive(const catalog::CatalogTree& tree) const {
    if (chain_.empty() || chain_.back() != tree.Top()) return false;
    for (size_t i = chain_.size() - 1; i-- > 0;) {
        const catalog::TreeItem* parent = chain_[i + 1];
        int row = rows_[i];
        if (row >= 0 && row < parent->ChildCount() && parent->Child(row) == chain_[i]) continue;
        bool found = false;
        for (int r = 0, n = parent->ChildCount(); r < n && !found; ++r)
            found = parent->Child(r) == chain_[i];
        if (!found) return false;
    }
    return true;
}

}  // namespace ftpsites
