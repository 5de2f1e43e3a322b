// Copying rules and kind recognition of catalog entries.
#include "catalog/c_entry.h"

namespace catalog {

CEntry::CEntry(const CEntry& other)
    : Name(other.Name),
      Description(other.Description),
      Address(other.Address),
      Path(other.Path),
      DownloadDir(other.DownloadDir),
      Location(other.Location),
      Price(other.Price),
      Size(other.Size),
      Date(other.Date),
      MapFileId(other.MapFileId) {}

CEntry& CEntry::operator=(const CEntry& other) {
    if (this == &other) return *this;
    Name = other.Name;
    Description = other.Description;
    Address = other.Address;
    Path = other.Path;
    DownloadDir = other.DownloadDir;
    Location = other.Location;
    Price = other.Price;
    Size = other.Size;
    Date = other.Date;
    MapFileId = other.MapFileId;
    // The connection belongs to the site that opened it; this entry keeps
    // its own (if any), as assignment only copies the catalog texts.
    return *this;
}

EntryKind KindOf(const CEntry& e) {
    if (e.Path == kHeaderPath) return EntryKind::Folder;
    if (e.Description == kFtpSiteDescription) return EntryKind::FtpSite;
    if (e.Description == kMapFileDescription) return EntryKind::MapFile;
    if (e.Path == kFtpDirPath) return EntryKind::FtpDir;
    if (e.Path == kFtpFilePath) return EntryKind::FtpFile;
    return EntryKind::Item;
}

EntryKind CEntry::Kind() const { return KindOf(*this); }

bool CEntry::IsFree() const { return Price.empty() || Price == "0.00"; }

std::string NameFromLocation(const std::string& location) {
    auto slash = location.rfind('/');
    return slash == std::string::npos ? location : location.substr(slash + 1);
}

}  // namespace catalog
