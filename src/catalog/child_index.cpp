// Same-text siblings are rare, so an equal range is nearly always one
// child long and the lowest row is found without scanning.
#include "catalog/child_index.h"

#include "catalog/tree_item.h"

namespace catalog {

ChildIndex::ChildIndex(const TreeItem& parent) {
    byText_.reserve(static_cast<size_t>(parent.ChildCount()));
    for (int r = 0, n = parent.ChildCount(); r < n; ++r) Add(parent.Child(r));
}

void ChildIndex::Add(TreeItem* child) { byText_.emplace(child->Text(), child); }

void ChildIndex::Remove(TreeItem* child) {
    auto [it, end] = byText_.equal_range(child->Text());
    for (; it != end; ++it) {
        if (it->second == child) {
            byText_.erase(it);
            return;
        }
    }
}

TreeItem* ChildIndex::First(std::string_view text) const {
    TreeItem* first = nullptr;
    auto [it, end] = byText_.equal_range(text);
    for (; it != end; ++it)
        if (!first || it->second->Row() < first->Row()) first = it->second;
    return first;
}

}  // namespace catalog
