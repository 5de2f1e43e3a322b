// Saving the catalog: ambit.amb, one contents file per folder whose
// contents are in memory, the index of merged entries and hosts.dat. Every
// file is written whole to a temporary file and renamed over the old one,
// so a crash or a full disk never leaves a half-written catalog behind.
#pragma once

#include <string>
#include <unordered_set>
#include <vector>

namespace platform {
class AtomicFileWriter;
}

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
    bool WriteIndex();

    Catalog& catalog_;
    std::unordered_set<std::string> usedNames_;  // lower case
    std::vector<FolderJob> jobs_;
    std::vector<std::string> indexLines_;
    platform::AtomicFileWriter* out_ = nullptr;  // the file being written
    bool ok_ = true;
};

}  // namespace catalog
