// Tree nodes and the sibling order they are kept in.
#include "catalog/tree_item.h"

#include <algorithm>
#include <cstring>

namespace catalog {

TreeItem::~TreeItem() {
    // Catalogs read from hostile files can be very deep; destroy without
    // recursion so depth never costs stack.
    std::vector<std::unique_ptr<TreeItem>> doomed = std::move(children_);
    while (!doomed.empty()) {
        std::unique_ptr<TreeItem> node = std::move(doomed.back());
        doomed.pop_back();
        for (auto& child : node->children_) doomed.push_back(std::move(child));
        node->children_.clear();
    }
}

CEntry* TreeItem::Unpack() const {
    entry_ = std::make_unique<CEntry>(packed_.Unpack());
    packed_ = PackedEntry();
    return entry_.get();
}

TreeItem* TreeItem::NextSibling() const {
    if (!parent_ || pendingMerge_) return nullptr;
    size_t next = static_cast<size_t>(row_) + 1;
    return next < parent_->children_.size() ? parent_->children_[next].get() : nullptr;
}

bool TreeItem::IsWithin(const TreeItem* ancestor) const {
    for (const TreeItem* p = this; p; p = p->parent_)
        if (p == ancestor) return true;
    return false;
}

int CompareTextNoCase(std::string_view a, std::string_view b) {
    size_t n = std::min(a.size(), b.size());
    size_t i = 0;
    // Sibling texts often share long prefixes ("archive 000123"): skip
    // identical bytes eight at a time before folding letter case.
    while (i + 8 <= n && std::memcmp(a.data() + i, b.data() + i, 8) == 0) i += 8;
    for (; i < n; ++i) {
        unsigned char ca = static_cast<unsigned char>(a[i]);
        unsigned char cb = static_cast<unsigned char>(b[i]);
        if (ca == cb) continue;
        if (ca >= 'A' && ca <= 'Z') ca = static_cast<unsigned char>(ca - 'A' + 'a');
        if (cb >= 'A' && cb <= 'Z') cb = static_cast<unsigned char>(cb - 'A' + 'a');
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool TextLess(std::string_view a, std::string_view b) { return CompareTextNoCase(a, b) < 0; }

}  // namespace catalog
