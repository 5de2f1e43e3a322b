// Packing and unpacking of item lines.
#include "catalog/packed_entry.h"

namespace catalog {

PackedEntry::PackedEntry(std::string_view prefix, std::string_view line, int mapFileId) {
    // Line lengths are bounded by the line reader; prefixes are tree paths.
    const HeaderBlock header{static_cast<std::uint32_t>(prefix.size()),
                             static_cast<std::uint32_t>(line.size()), mapFileId};
    data_.reset(new char[sizeof(HeaderBlock) + prefix.size() + line.size()]);
    std::memcpy(data_.get(), &header, sizeof header);
    char* bytes = data_.get() + sizeof(HeaderBlock);
    std::memcpy(bytes, prefix.data(), prefix.size());
    std::memcpy(bytes + prefix.size(), line.data(), line.size());
}

std::string_view PackedEntry::Location() const {
    std::string_view line = Line();
    size_t colon = line.find(':');
    // Without a colon the whole line is the download directory.
    size_t field = colon == std::string_view::npos ? 0 : colon;
    return {Bytes(), Header().prefixSize + field};
}

std::string_view PackedEntry::Name() const {
    std::string_view location = Location();
    size_t slash = location.rfind('/');
    return slash == std::string_view::npos ? location : location.substr(slash + 1);
}

bool PackedEntry::IsFree() const {
    std::string_view price = Fields().Price;
    return price.empty() || price == "0.00";
}

CEntry PackedEntry::Unpack() const {
    ItemFields f = Fields();
    CEntry e;
    e.Location = Location();
    e.Name = Name();
    e.Description = f.Description;
    e.Price = f.Price;
    e.Address = f.Address;
    e.Path = f.Path;
    e.Date = f.Date;
    e.Size = f.Size;
    e.DownloadDir = f.DownloadDir;
    e.MapFileId = MapFileId();
    return e;
}

}  // namespace catalog
