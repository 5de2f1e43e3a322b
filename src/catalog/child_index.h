// A lookup of one parent's children by their exact text, for parents whose
// children are not in text order (a listing's order, items the user
// appended), where a search cannot halve the siblings. The tree builds it
// the first time such a parent is searched and then keeps it in step with
// every child added, removed or renamed, so a big listing is searched in
// constant time per name however the searches and insertions interleave.
// Keys view the children's own texts: a child's text must not change while
// it is indexed.
#pragma once

#include <string_view>
#include <unordered_map>

namespace catalog {

class TreeItem;

class ChildIndex {
public:
    // Indexes every current child of `parent`.
    explicit ChildIndex(const TreeItem& parent);

    void Add(TreeItem* child);
    void Remove(TreeItem* child);

    // Of the children with exactly this text, the one in the lowest row.
    TreeItem* First(std::string_view text) const;

    // Calls `visit` for each child with exactly this text until it returns
    // true; returns whether one did.
    template <class Visit>
    bool AnyNamed(std::string_view text, Visit&& visit) const {
        auto [it, end] = byText_.equal_range(text);
        for (; it != end; ++it)
            if (visit(it->second)) return true;
        return false;
    }

private:
    std::unordered_multimap<std::string_view, TreeItem*> byText_;
};

}  // namespace catalog
