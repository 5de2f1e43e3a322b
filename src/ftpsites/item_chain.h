// Remembers where an item sits in the tree so that, after a wait in which
// the user could have deleted it, we can tell whether it still exists
// without touching freed memory: the chain of ancestors is checked from the
// tree's top down, each link by pointer among the children of an item
// already known to be alive.
#pragma once

#include <vector>

#include "catalog/catalog_tree.h"

namespace ftpsites {

class ItemChain {
public:
    explicit ItemChain(const catalog::TreeItem* item);
    // True when the item is still attached to `tree` where it was, with
    // every ancestor in place. Costs one scan of the siblings per level.
    bool Alive(const catalog::CatalogTree& tree) const;

private:
    // The item first, the tree's hidden top node last; rows as they were,
    // tried first so that an unchanged tree is checked without scanning.
    std::vector<const catalog::TreeItem*> chain_;
    std::vector<int> rows_;
};

}  // namespace ftpsites
