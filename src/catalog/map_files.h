// Map files: further data files kept in the MapFiles directory beside the
// main catalog. Each is listed under /All/MapFiles/ by the name its first
// line gives; opening one shows its contents below its item (id 44, so
// they can be neither edited nor saved), merging one copies them into the
// main catalog as a source of their own that can be removed again, and
// updating one fetches it anew from the server it names. Server folders,
// folder entries that name a map server's file, are made here too.
#pragma once

#include <string>
#include <string_view>

#include "catalog/c_entry.h"

namespace catalog {

class Catalog;
class TreeItem;

inline constexpr const char* kNameKey = "%name=";
inline constexpr const char* kAddressKey = "%addr=";
inline constexpr const char* kPathKey = "%path=";

class MapFiles {
public:
    explicit MapFiles(Catalog& catalog) : catalog_(catalog) {}

    // The data directory's MapFiles directory.
    std::string Directory() const;

    // The map-file entry `firstLine` describes for the file `fileName`: its
    // Name from "%name=" (else the file name), placed by that name when
    // `locationFromName`, else by the file name.
    static CEntry EntryFor(std::string_view firstLine, const std::string& fileName,
                           bool locationFromName);

    // Start-up: creates the directory when missing and lists every file in
    // it (in name order), without reading their contents. Returns how many.
    size_t BuildMapFilesFolder();
    // After a fetch into the directory: lists the file and shows its
    // contents below its item. Null when its name resolves empty.
    TreeItem* AddMapFile(const std::string& localPath);
    // Shows a map file's contents below its item, once; a file that cannot
    // be opened is passed over. True when contents were read.
    bool OpenMapFile(TreeItem* item);

    enum class MergeResult { Declined, Failed, Kept, Deleted };
    // "&Merge ": asks, copies the file's entries into the main catalog
    // under a new source's id, then offers to delete the file and its item.
    MergeResult Merge(TreeItem* item);
    // "&Update": asks, then fetches the file from its server into the
    // directory and lists it as a new item beside the old one.
    bool Update(TreeItem* item);
    // Fetches the file at `remotePath` on `host` into the directory.
    bool FetchMapFile(const std::string& host, const std::string& remotePath);

    // A folder entry named `name` for the server file at `address` +
    // `adfPath`, below the selected folder (or beside another selected
    // entry). Returns the new item.
    TreeItem* AddServerFolder(TreeItem* selected, const std::string& name,
                              const std::string& address, const std::string& adfPath);

private:
    Catalog& catalog_;
};

}  // namespace catalog
