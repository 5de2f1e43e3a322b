// The catalog tree: a plain C++ tree of TreeItems that owns every entry and
// is the single source of truth a view shows. It keeps each node's children
// in a stable, case-insensitive order of their texts, finds children by
// exact text, inserts entries by their tree path (creating missing folders),
// and removes subtrees or the entries of one source. Large loads run inside
// a BulkInsert so that inserting N items costs O(N log N), however the
// lines are ordered.
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
    // some of its entries from elsewhere).
    TreeItem* InsertEntryIfNew(CEntry&& entry);
    // Forgets the parent remembered from the last InsertEntry.
    void ForgetRememberedParent();

    // Inserts a new item under `parent` (Top() for a top-level item) at its
    // place in the sibling order; `entry` may be null for a plain folder.
    // Images default by entry kind.
    TreeItem* InsertItem(TreeItem* parent, const std::string& text, std::unique_ptr<CEntry> entry);
    TreeItem* InsertItem(TreeItem* parent, const std::string& text, std::unique_ptr<CEntry> entry,
                         int image, int selectedImage);

    // Changes an item's text and moves it to its new place among its siblings.
    void SetItemText(TreeItem* item, const std::string& text);
    void SetItemImages(TreeItem* item, int image, int selectedImage);
    // Tells the observer that the item's entry fields were changed in place.
    void EntryChanged(TreeItem* item);
    // Replaces the entry an item carries (null to make it a plain folder).
    std::unique_ptr<CEntry> ReplaceEntry(TreeItem* item, std::unique_ptr<CEntry> entry);
    // Moves an item with its subtree under `newParent`, at its sorted place.
    // Refused (false) when newParent lies inside the item's own subtree.
    bool MoveItem(TreeItem* item, TreeItem* newParent);
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
    // and merged into the sibling order when it ends; the observer hears of
    // them then. Lookups by FindChild see them at once. Nests.
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

    TreeItem* Attach(TreeItem* parent, std::unique_ptr<TreeItem> child);
    TreeItem* ParentFor(const std::string& location, size_t lastSlash);
    TreeItem* ResolveParent(const std::string& location);
    void EndBulk();
    void FlushPending();
    void MergePending(TreeItem* parent, Pending& pending, bool notify);
    size_t RemoveLeaves(TreeItem* item, const std::function<bool(const CEntry&)>& match);
    void RemoveChildrenWhere(TreeItem* parent, const std::vector<char>& doomed);
    void Relocate(TreeItem* item, TreeItem* newParent);
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
