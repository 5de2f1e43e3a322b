// One node of the catalog tree: the text shown, its two image indexes, the
// children in their display order and, for most nodes, the entry it carries.
// Entry-less nodes are the folders that inserting by path creates ("All",
// "FTP Sites", "MapFiles", ...). Nodes are only changed through CatalogTree,
// which keeps the sibling order and tells its observer. A node's children
// are in text order unless the node was given an order of its own (a
// listing's, or items appended by the user).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "catalog/c_entry.h"
#include "catalog/child_index.h"

namespace catalog {

// Indexes into the tree's image list; the GUI draws one picture for each.
enum TreeImage : int {
    kImageFolderClosed = 0,
    kImageFolderOpen = 1,
    kImageItem = 2,
    kImageMapServer = 3,
    kImageBusy = 4,  // an item whose listing runs
    kImageCount
};

class CatalogTree;

class TreeItem {
public:
    TreeItem(const TreeItem&) = delete;
    TreeItem& operator=(const TreeItem&) = delete;
    ~TreeItem();

    const std::string& Text() const { return text_; }
    int Image() const { return image_; }
    int SelectedImage() const { return selectedImage_; }

    // Null for entry-less folders.
    CEntry* Entry() { return entry_.get(); }
    const CEntry* Entry() const { return entry_.get(); }
    bool HasEntry() const { return entry_ != nullptr; }

    // The parent; the tree's hidden top node for top-level items, null for
    // the hidden top node itself.
    TreeItem* Parent() const { return parent_; }
    // Position among the parent's children.
    int Row() const { return row_; }
    int ChildCount() const { return static_cast<int>(children_.size()); }
    bool HasChildren() const { return !children_.empty(); }
    TreeItem* Child(int row) const { return children_[static_cast<size_t>(row)].get(); }
    // The sibling after this one, or null.
    TreeItem* NextSibling() const;
    // Whether `ancestor` is this item or lies above it.
    bool IsWithin(const TreeItem* ancestor) const;

    // The map server's own site, put in by start-up; never saved.
    bool IsBuiltInSite() const { return builtInSite_; }
    // For folder entries: the tree holds what the folder's contents file
    // holds (it was read, written, or looked for), so a save may rewrite it.
    bool ContentsLoaded() const { return contentsLoaded_; }
    // Whether the children keep an order given to them (SortChildren,
    // AppendItem) rather than the text order; false while there are none.
    bool HasCustomOrder() const { return customOrder_; }

private:
    friend class CatalogTree;
    TreeItem() = default;

    std::string text_;
    int image_ = kImageFolderClosed;
    int selectedImage_ = kImageFolderOpen;
    std::unique_ptr<CEntry> entry_;
    TreeItem* parent_ = nullptr;
    int row_ = 0;
    bool builtInSite_ = false;
    bool contentsLoaded_ = false;
    bool pendingMerge_ = false;  // inserted during a bulk insert, not yet in children_
    bool customOrder_ = false;
    std::vector<std::unique_ptr<TreeItem>> children_;
    // Lookup by text for a custom-ordered node, built on its first search.
    mutable std::unique_ptr<ChildIndex> childIndex_;
};

// Stable, case-insensitive order of sibling texts (ASCII letters folded).
bool TextLess(const std::string& a, const std::string& b);
int CompareTextNoCase(const std::string& a, const std::string& b);

}  // namespace catalog
