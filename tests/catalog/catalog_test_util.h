// Helpers for the catalog tests: a readable dump of a tree, and a header
// line to start data files with.
#pragma once

#include <string>

#include "catalog/catalog_tree.h"

namespace catalogtest {

inline const char* kHeader = "%Internet Ambit Data File %ver=\"1.0\"\n";

// One line per item, indented by depth: text, then the entry's Location
// for items that carry one ("-" for plain folders).
inline std::string Dump(const catalog::TreeItem* top) {
    std::string out;
    struct Frame {
        const catalog::TreeItem* item;
        int depth;
    };
    std::vector<Frame> stack;
    for (int i = top->ChildCount() - 1; i >= 0; --i) stack.push_back({top->Child(i), 0});
    while (!stack.empty()) {
        Frame f = stack.back();
        stack.pop_back();
        out.append(static_cast<size_t>(f.depth) * 2, ' ');
        out += f.item->Text();
        out += f.item->Entry() ? " @" + f.item->Entry()->Location : std::string(" -");
        out += '\n';
        for (int i = f.item->ChildCount() - 1; i >= 0; --i)
            stack.push_back({f.item->Child(i), f.depth + 1});
    }
    return out;
}

inline std::string Dump(const catalog::CatalogTree& tree) { return Dump(tree.Top()); }

}  // namespace catalogtest
