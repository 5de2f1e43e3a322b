// One catalog entry: the nine texts, the map-file id and the live FTP session
// of an open site. An entry's kind is not stored; it is read from Path and
// Description, always in the same order, so every part of the program agrees
// on what an entry is.
#pragma once

#include <memory>
#include <string>

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

// Listing state of a site or directory, kept in the entry's MapFileId. The
// command rules need it: a listing may be empty.
inline constexpr int kStateUnlisted = 0;        // never listed, or the last connect failed
inline constexpr int kStateListed = 22000;      // listed (or being listed): opening only expands
inline constexpr int kStateRefreshing = 22223;  // children removed, to be listed again
inline constexpr int kStateClosed = 1100;       // the site was closed

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

// Kind of an entry; see EntryKind for the order of the tests.
EntryKind KindOf(const CEntry& entry);

// Name taken from a location: the text after its last "/".
std::string NameFromLocation(const std::string& location);

}  // namespace catalog
