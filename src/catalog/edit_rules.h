// The rules of editing the catalog by hand: where a new folder or item
// goes, which texts a data file can hold, what a drop onto an item does,
// and which file deleting a map file may remove. Pure decisions over the
// tree, so the window's dialogs and drag and drop share one answer and
// the rules can be checked without a display.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "catalog/c_entry.h"
#include "catalog/catalog_tree.h"

namespace catalog {

// Where New Folder puts its folder: the selected item when it is a plain
// folder, a folder entry or a top-level item, else its parent; the top
// level with nothing selected.
TreeItem* NewFolderParent(CatalogTree& tree, TreeItem* selected);
// Where Add puts its item: the selected item when it is a plain folder or
// a folder entry, else its parent; the root item with nothing selected.
TreeItem* AddItemParent(CatalogTree& tree, TreeItem* selected);

// A typed download directory of fewer than 2 characters means the default.
std::string StoredDownloadDir(const std::string& typed);
// The path up to and including its last "/" (what the next Add offers).
std::string PathDirectory(const std::string& path);

// A name without its leading and trailing blanks.
std::string TrimmedName(std::string_view name);

// One text a dialog writes into a field that the data file ends with ":".
struct StoredField {
    std::string_view text;
    const char* what;  // how the message names it: "address", "price", ...
};
// "Please do not use colons in the <what>." for the first field holding a
// ":", which the data file cannot keep; empty when none does.
std::string ColonProblem(const std::vector<StoredField>& fields);
// A name is one step of a tree path, so it cannot hold a "/"; a message
// when it does, else empty.
std::string NameProblem(std::string_view name);

// What dropping `dragged` onto `target` does.
enum class DropAction {
    Refused,       // onto itself or into its own subtree: nothing, not even the changed flag
    Nothing,       // a completed drop that moves nothing (the changed flag is still set)
    Move,          // the item moves with its whole subtree as the last child of `parent`
    CopySiteFile,  // a file of an open site becomes a catalog item, last child of `parent`
};
struct DropPlan {
    DropAction action = DropAction::Refused;
    TreeItem* parent = nullptr;
};
// `target` is null for a drop onto no item.
DropPlan PlanDrop(const CatalogTree& tree, TreeItem* dragged, TreeItem* target);

// The catalog item a file of an open site becomes when dropped on a
// folder: `remotePath` is the file's path on the site, `downloadDir` the
// default download directory.
CEntry CatalogItemFromSiteFile(const CEntry& file, const std::string& remotePath,
                               const std::string& downloadDir);

// The file in `dataDirectory`/MapFiles that deleting a map-file entry
// removes: only a plain file name there, never a path that leads
// elsewhere. Empty when `downloadDir` is anything else.
std::string MapFileToDelete(const std::string& dataDirectory, const std::string& downloadDir);

}  // namespace catalog
