// Copying rules and kind recognition of catalog entries.
#include "catalog/c_entry.h"

#include <string_view>

namespace catalog {

CEntry::CEntry(const CEntry& other) { Fields() = other.Fields(); }

CEntry& CEntry::operator=(const CEntry& other) {
    // The connection belongs to the site that opened it; this entry keeps
    // its own (if any), as assignment only copies the catalog fields.
    if (this != &other) Fields() = other.Fields();
    return *this;
}

EntryKind KindOf(const CEntry& e) {
    // Asked for every entry of large catalogs, several times per save:
    // compare as views, whose length test rejects nearly every item at once.
    static constexpr std::string_view header = kHeaderPath, ftpDir = kFtpDirPath,
                                      ftpFile = kFtpFilePath, site = kFtpSiteDescription,
                                      map = kMapFileDescription;
    const std::string_view path = e.Path, description = e.Description;
    if (path == header) return EntryKind::Folder;
    if (description == site) return EntryKind::FtpSite;
    if (description == map) return EntryKind::MapFile;
    if (path == ftpDir) return EntryKind::FtpDir;
    if (path == ftpFile) return EntryKind::FtpFile;
    return EntryKind::Item;
}

EntryKind CEntry::Kind() const { return KindOf(*this); }

bool CEntry::IsFree() const { return Price.empty() || Price == "0.00"; }

std::string NameFromLocation(const std::string& location) {
    auto slash = location.rfind('/');
    return slash == std::string::npos ? location : location.substr(slash + 1);
}

}  // namespace catalog
