// Saving the catalog: ambit.amb, one contents file per folder whose
// contents are in memory, the index of merged entries and hosts.dat. All
// of them are written to temporary files and renamed over the old ones
// together, so a crash or a full disk never leaves a half-written catalog.
#pragma once

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "catalog/c_entry.h"
#include "catalog/file_batch.h"

namespace catalog {

class Catalog;
class CEntry;
class TreeItem;

class CatalogWriter {
public:
    explicit CatalogWriter(Catalog& catalog) : catalog_(catalog) {}
    // False when any file could not be written (each failure was reported).
    bool Save();

private:
    struct FolderJob {
        TreeItem* folder;
        std::string file;
    };

    void LoadUnreadFolders();
    void ReserveNames();
    std::string ContentsFileName(const TreeItem* folder);
    bool WriteFile(const std::string& name, const std::vector<TreeItem*>& items, bool mainFile);
    void AppendItems(std::string& out, const std::vector<TreeItem*>& items);
    // The line of an entry that is not a packed item written as read, with
    // `parentPath` ending in "/"; false when its children are not to follow.
    bool AppendEntry(std::string& out, TreeItem* t, EntryKind kind, const std::string& parentPath);
    bool WriteIndex();
    bool Report();

    Catalog& catalog_;
    std::unordered_set<std::string> usedNames_;  // lower case
    std::unordered_map<std::string, int> nextSuffix_;
    std::vector<FolderJob> jobs_;
    std::vector<std::string> indexLines_;
    FileBatch* batch_ = nullptr;
};

}  // namespace catalog
