// The catalog tree: a plain C++ tree of TreeItems that owns every entry and
// is the single source of truth a view shows. It keeps each node's children
// in a stable, case-insensitive order of their texts, unless the node was
// given an order of its own (a listing sorted with SortChildren, items the
// user appended with AppendItem); it finds children by exact text, inserts
// entries by their tree path (creating missing folders), and removes
// subtrees or the entries of one source. Large loads run inside a
// BulkInsert so that inserting N items costs O(N log N), however the lines
// are ordered.
//
// A custom-ordered node keeps its order: a child inserted into it by text
// goes before the first sibling, counted from the top, whose text sorts
// after its own (which is its sorted place whenever the siblings happen to
// be in text order), and a renamed child stays where it is. A node whose
// children are all removed goes back to text order. Saving does not keep
// custom orders: a saved catalog reloads in text order.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "catalog/c_entry.h"
#include "catalog/catalog_tree_observer.h"
#include "catalog/tree_item.h"

namespace catalog {

inline constexpr const char* kRootText = "All";
inline constexpr const char* kFtpSitesText = "FTP Sites";
inline constexpr const char* kFtpSitesLocation = "/All/FTP Sites/";
inline constexpr const char* kMapFilesText = "MapFiles";
inline constexpr const char* kMapFilesLocation = "/All/MapFiles/";

class CatalogTree {
public:
    // Where a new or moved item goes among its new siblings.
    enum class Placement { ByText, Last };
    // A strict weak order of siblings for SortChildren.
    using ChildLess = std::function<bool(const TreeItem& a, const TreeItem& b)>;

    CatalogTree();
    ~CatalogTree();
    CatalogTree(const CatalogTree&) = delete;
    CatalogTree& operator=(const CatalogTree&) = delete;

    // Not owned; null for none. The observer must outlive its registration.
    void SetObserver(CatalogTreeObserver* observer) { observer_ = observer; }

    // The hidden node whose children are the top-level items.
    TreeItem* Top() { return top_.get(); }
    const TreeItem* Top() const { return top_.get(); }
    // The first top-level item (normally "All"), or null in an empty tree.
    TreeItem* RootItem() const;
    bool IsEmpty() const { return !top_->HasChildren(); }

    // "/" + the texts from the top-level item down, joined by "/".
    static std::string ItemPath(const TreeItem* item);

    // The first child of `item` whose text equals `name` exactly, or null.
    // A binary search for text-ordered children; an index for others.
    TreeItem* FindChild(const TreeItem* item, const std::string& name) const;

    // Inserts a copy of `entry` at its Location, creating missing entry-less
    // folders, and returns the new item. Only the first component of a
    // location matches the top-level item itself; every further component
    // is looked up among children, so "/All/A/A/x" gives A inside A.
    TreeItem* InsertEntry(const CEntry& entry);
    TreeItem* InsertEntry(CEntry&& entry);
    // Like InsertEntry, but when the folder already held an entry equal in
    // every text and id before the current bulk insert, inserts nothing
    // and returns null (loading a folder's file into a folder that gained
    // some of its entries from elsewhere). With `anyId` the ids need not
    // be equal: a file merged again must not add a copy of what an
    // earlier merge brought under another id.
    TreeItem* InsertEntryIfNew(CEntry&& entry, bool anyId = false);
    // Forgets the parent remembered from the last InsertEntry.
    void ForgetRememberedParent();

    // Inserts a new item under `parent` (Top() for a top-level item) at its
    // place in the sibling order; `entry` may be null for a plain folder.
    // Images default by entry kind.
    TreeItem* InsertItem(TreeItem* parent, const std::string& text, std::unique_ptr<CEntry> entry);
    TreeItem* InsertItem(TreeItem* parent, const std::string& text, std::unique_ptr<CEntry> entry,
                         int image, int selectedImage);
    // Inserts a new item as the last child of `parent`, whatever its text;
    // the parent keeps the order its children are in from then on.
    TreeItem* AppendItem(TreeItem* parent, const std::string& text, std::unique_ptr<CEntry> entry);
    TreeItem* AppendItem(TreeItem* parent, const std::string& text, std::unique_ptr<CEntry> entry,
                         int image, int selectedImage);

    // Puts the children of `parent` (Top() or null for the top level) in
    // the order of `less`, keeping the order of equivalent ones, and keeps
    // that order from then on. The observer hears of it only when some
    // child actually moves. Does nothing to a parent without children.
    void SortChildren(TreeItem* parent, const ChildLess& less);

    // Changes an item's text and moves it to its new place among its
    // siblings (in a custom-ordered parent it stays where it is).
    void SetItemText(TreeItem* item, const std::string& text);
    void SetItemImages(TreeItem* item, int image, int selectedImage);
    // Tells the observer that the item's entry fields were changed in place.
    void EntryChanged(TreeItem* item);
    // Replaces the entry an item carries (null to make it a plain folder).
    std::unique_ptr<CEntry> ReplaceEntry(TreeItem* item, std::unique_ptr<CEntry> entry);
    // Moves an item with its subtree under `newParent`, at its place by
    // text or as its last child. Refused (false) when newParent lies inside
    // the item's own subtree.
    bool MoveItem(TreeItem* item, TreeItem* newParent, Placement placement = Placement::ByText);
    void SetBuiltInSite(TreeItem* item, bool builtIn) { item->builtInSite_ = builtIn; }
    void SetContentsLoaded(TreeItem* item, bool loaded) { item->contentsLoaded_ = loaded; }

    // Removes `item` with its subtree (and, unless keepSiblings, every
    // sibling after it), destroying their entries.
    void DeleteSubtree(TreeItem* item, bool keepSiblings);
    // Deletes every entry-carrying leaf, from `item` and its following
    // siblings down, whose MapFileId equals `id`. Returns how many.
    size_t DeleteEntriesWithId(int id, TreeItem* item);
    // The same for leaves whose Location is one of `locations`.
    size_t DeleteEntriesAt(const std::vector<std::string>& locations, TreeItem* item);
    // Removes everything.
    void Clear();

    // Number of items below the hidden top node.
    size_t ItemCount() const { return itemCount_; }

    // While a BulkInsert is alive, new children are collected per parent
    // and merged into the sibling order when it ends, the appended ones
    // after all others in the order they came; the observer hears of them
    // then. Lookups by FindChild see them at once. Nests.
    class BulkInsert {
    public:
        explicit BulkInsert(CatalogTree& tree);
        ~BulkInsert();
        BulkInsert(const BulkInsert&) = delete;
        BulkInsert& operator=(const BulkInsert&) = delete;

    private:
        CatalogTree& tree_;
    };

private:
    struct Pending;

    static std::unique_ptr<TreeItem> MakeItem(const std::string& text,
                                              std::unique_ptr<CEntry> entry, int image,
                                              int selectedImage);
    TreeItem* Attach(TreeItem* parent, std::unique_ptr<TreeItem> child, Placement placement);
    TreeItem* ParentFor(const std::string& location, size_t lastSlash);
    TreeItem* ResolveParent(const std::string& location);
    void EndBulk();
    void FlushPending();
    void MergePending(TreeItem* parent, Pending& pending, bool notify);
    std::vector<size_t> MergePositions(const TreeItem* parent,
                                       const std::vector<std::unique_ptr<TreeItem>>& added) const;
    bool HasEqualChild(const TreeItem* parent, const CEntry& entry, bool anyId) const;
    static void IndexRemove(TreeItem* parent, TreeItem* child);
    static void IndexAdd(TreeItem* parent, TreeItem* child);
    static void ChildrenGone(TreeItem* parent);
    size_t RemoveLeaves(TreeItem* item, const std::function<bool(const CEntry&)>& match);
    void RemoveChildrenWhere(TreeItem* parent, const std::vector<char>& doomed);
    void Relocate(TreeItem* item, TreeItem* newParent, Placement placement);
    void Renumber(TreeItem* parent, size_t from);
    size_t SortedPosition(const TreeItem* parent, const std::string& text) const;
    static size_t CountSubtree(const TreeItem* item);

    std::unique_ptr<TreeItem> top_;
    CatalogTreeObserver* observer_ = nullptr;
    size_t itemCount_ = 0;

    std::string rememberedPath_;
    TreeItem* rememberedParent_ = nullptr;

    int bulkDepth_ = 0;
    std::unordered_map<TreeItem*, std::unique_ptr<Pending>> pending_;
};

}  // namespace catalog
