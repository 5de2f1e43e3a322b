// One catalog entry: the nine texts, the map-file id and the live FTP session
// of an open site. An entry's kind is not stored; it is read from Path and
// Description, always in the same order, so every part of the program agrees
// on what an entry is.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <tuple>

namespace catalog {

// Reserved words that make an entry something other than an ordinary item.
inline constexpr const char* kHeaderPath = "HEADER";
inline constexpr const char* kFtpDirPath = "FTPDIR";
inline constexpr const char* kFtpFilePath = "FTPFILE";
inline constexpr const char* kFtpSiteDescription = "FTPSITE";
inline constexpr const char* kMapFileDescription = "LOCALARF";
// Description and Price of a folder entry.
inline constexpr const char* kNone = "NONE";
// DownloadDir of an item that goes to the default download directory.
inline constexpr const char* kDefaultDownloadDir = "[default]";
// MapFileId of entries shown from a map file below its map-file item.
inline constexpr int kMapFileContentId = 44;

// Listing state of a site or directory. It lives in the entry's MapFileId,
// which entries of live sites have no other use for. The command rules read
// it too: a listing may be empty and still leave the site open.
enum class ListingState : int {
    Unlisted = 0,        // never listed, or the last connect failed
    Listed = 22000,      // listed (or being listed): opening only expands
    Refreshing = 22223,  // children removed, to be listed again
    Closed = 1100,       // the site was closed
};

enum class EntryKind {
    Folder,   // Path "HEADER": its contents may live in a data file of their own
    FtpSite,  // Description "FTPSITE"
    MapFile,  // Description "LOCALARF"
    FtpDir,   // Path "FTPDIR": found by live browsing, never saved
    FtpFile,  // Path "FTPFILE": found by live browsing, never saved
    Item,     // anything else: a downloadable file at Address + Path
};

// The live connection of an open FTP site. The catalog knows no network
// code; the site browser derives from this and keeps its FTP client in it.
class SiteConnection {
public:
    virtual ~SiteConnection() = default;
};

class CEntry {
public:
    CEntry() = default;
    ~CEntry() = default;
    // Copies every text and MapFileId, never the site connection: only
    // opening a site gives an entry one.
    CEntry(const CEntry& other);
    CEntry& operator=(const CEntry& other);
    CEntry(CEntry&& other) noexcept = default;
    CEntry& operator=(CEntry&& other) noexcept = default;

    EntryKind Kind() const;
    bool IsFolder() const { return Kind() == EntryKind::Folder; }
    bool IsFtpSite() const { return Kind() == EntryKind::FtpSite; }
    bool IsMapFile() const { return Kind() == EntryKind::MapFile; }
    bool IsFtpDir() const { return Kind() == EntryKind::FtpDir; }
    bool IsFtpFile() const { return Kind() == EntryKind::FtpFile; }
    // Empty or "0.00": the item can be downloaded without buying it.
    bool IsFree() const;

    // Every field the catalog stores, in one place: copying and comparing go
    // through it, so a field added here is never left out of either.
    auto Fields() {
        return std::tie(Name, Description, Address, Path, DownloadDir, Location, Price, Size, Date,
                        MapFileId);
    }
    auto Fields() const {
        return std::tie(Name, Description, Address, Path, DownloadDir, Location, Price, Size, Date,
                        MapFileId);
    }
    // Same stored fields; the site connection is not compared.
    bool SameFields(const CEntry& other) const { return Fields() == other.Fields(); }

    std::string Name;
    std::string Description;
    std::string Address;
    std::string Path;
    std::string DownloadDir;
    std::string Location;
    std::string Price;
    std::string Size;
    std::string Date;
    int MapFileId = 0;
    std::unique_ptr<SiteConnection> SiteClient;
};

inline ListingState StateOf(const CEntry& entry) {
    return static_cast<ListingState>(entry.MapFileId);
}
inline void SetState(CEntry& entry, ListingState state) {
    entry.MapFileId = static_cast<int>(state);
}

// Kind of an entry; see EntryKind for the order of the tests.
EntryKind KindOf(const CEntry& entry);
// The same from the two texts that decide it, before any entry is made.
EntryKind KindOf(std::string_view path, std::string_view description);

// Name taken from a location: the text after its last "/".
std::string NameFromLocation(const std::string& location);

}  // namespace catalog
