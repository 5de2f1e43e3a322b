// Helpers for the catalog tests: a readable dump of a tree, a header line
// to start data files with, and the recorded files under data/.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "catalog/catalog_tree.h"

namespace catalogtest {

inline const char* kHeader = "%Internet Ambit Data File %ver=\"1.0\"\n";

// The bytes of a recorded file under tests/catalog/data.
inline std::string ReadTestData(const std::string& name) {
    std::ifstream in(std::string(AMBIT_TEST_DATA_DIR) + "/" + name, std::ios::binary);
    if (!in) ADD_FAILURE() << "no recorded file " << name;
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

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
