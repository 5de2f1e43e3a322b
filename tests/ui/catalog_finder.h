// Finding tree items by their tree path in tests ("/All/Games/Tile puzzle").
#pragma once

#include <sstream>
#include <string>

#include "catalog/catalog_tree.h"
#include "catalog/tree_item.h"

namespace uitest {

inline catalog::TreeItem* FindPath(catalog::CatalogTree& tree, const std::string& path) {
    std::stringstream parts(path);
    std::string part;
    catalog::TreeItem* item = tree.Top();
    while (std::getline(parts, part, '/')) {
        if (part.empty()) continue;
        item = tree.FindChild(item, part);
        if (!item) return nullptr;
    }
    return item == tree.Top() ? nullptr : item;
}

// Texts of an item's children, in display order.
inline std::vector<std::string> ChildTexts(const catalog::TreeItem* item) {
    std::vector<std::string> texts;
    if (item)
        for (int i = 0; i < item->ChildCount(); ++i) texts.push_back(item->Child(i)->Text());
    return texts;
}

}  // namespace uitest
