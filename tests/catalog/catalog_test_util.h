// Helpers for the catalog tests: a readable dump of a tree, a header line
// to start data files with, the recorded files under data/, and a data
// directory with catalogs opened on it the way the program opens them.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "catalog/catalog.h"
#include "catalog/catalog_tree.h"
#include "platform/prompt.h"
#include "scripted_prompt.h"
#include "temp_dir.h"

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

// The items below `top` that carry an entry, depth first.
inline std::vector<catalog::TreeItem*> Items(catalog::TreeItem* top) {
    std::vector<catalog::TreeItem*> items, stack{top};
    while (!stack.empty()) {
        catalog::TreeItem* t = stack.back();
        stack.pop_back();
        if (t->HasEntry()) items.push_back(t);
        for (int i = t->ChildCount() - 1; i >= 0; --i) stack.push_back(t->Child(i));
    }
    return items;
}

// Unpacks every entry, as showing or editing them would.
inline void UnpackAll(catalog::TreeItem* top) {
    for (catalog::TreeItem* t : Items(top)) t->Entry();
}

// The item at "/All/a/b", or null.
inline catalog::TreeItem* At(catalog::CatalogTree& tree, const std::string& path) {
    catalog::TreeItem* t = tree.RootItem();
    for (size_t pos = 5; t && pos <= path.size();) {
        size_t end = std::min(path.find('/', pos), path.size());
        t = tree.FindChild(t, path.substr(pos, end - pos));
        pos = end + 1;
    }
    return t;
}
inline catalog::TreeItem* At(catalog::Catalog& c, const std::string& path) {
    return At(c.Tree(), path);
}

// An entry at `location` (its name taken from it).
inline catalog::CEntry Entry(const std::string& location, const std::string& description = "",
                             const std::string& path = "") {
    catalog::CEntry e;
    e.Location = location;
    e.Name = catalog::NameFromLocation(location);
    e.Description = description;
    e.Path = path;
    return e;
}

// A data directory and a scripted prompt that answers for the catalogs.
struct CatalogFixture {
    testsupport::TempDir dir;
    platform::ScriptedPrompt prompt;
    platform::ScopedPrompt scoped{&prompt};

    // A catalog started on `dir`: its main file read, and every folder's
    // file too if `allFolders`.
    std::unique_ptr<catalog::Catalog> Open(bool allFolders = false) {
        auto c = std::make_unique<catalog::Catalog>(dir.Path());
        c->InsertRootItems("map.invalid", "PW");
        c->LoadMainDataFile();
        if (allFolders) c->LoadAllFolders();
        return c;
    }
    // A fresh catalog that read `lines` (after a header) as map file `id`.
    std::unique_ptr<catalog::Catalog> Read(const std::string& lines, const std::string& prefix = "",
                                           int id = 0) {
        auto c = std::make_unique<catalog::Catalog>(dir.Path());
        c->InsertRootItems("map.invalid", "PW");
        std::istringstream in{std::string(kHeader) + lines};
        EXPECT_TRUE(c->ReadDataFile(in, prefix, id));
        return c;
    }
    // Saves `c` whether changed or not and gives the main file.
    std::string Saved(catalog::Catalog& c) {
        c.SetChanged();
        EXPECT_TRUE(c.SaveCatalog());
        return dir.Read("ambit.amb");
    }
};

}  // namespace catalogtest
