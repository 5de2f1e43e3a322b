// Packing and unpacking of item lines.
#include "catalog/packed_entry.h"

namespace catalog {

PackedEntry::PackedEntry(std::string_view prefix, std::string_view line, const ItemFields& fields,
                         int mapFileId) {
    const size_t locationSize = prefix.size() + fields.Location.size();
    // Line lengths are bounded by the line reader; prefixes are tree paths.
    HeaderBlock header{static_cast<std::uint32_t>(prefix.size()),
                       static_cast<std::uint32_t>(line.size()),
                       static_cast<std::uint32_t>(locationSize),
                       0,
                       mapFileId,
                       IsVerbatimItemLine(line, fields) ? 1u : 0u};
    data_.reset(new char[sizeof(HeaderBlock) + prefix.size() + line.size()]);
    char* bytes = data_.get() + sizeof(HeaderBlock);
    std::memcpy(bytes, prefix.data(), prefix.size());
    std::memcpy(bytes + prefix.size(), line.data(), line.size());
    std::string_view whole(bytes, locationSize);
    size_t slash = whole.rfind('/');
    header.nameSize = static_cast<std::uint32_t>(
        slash == std::string_view::npos ? whole.size() : whole.size() - slash - 1);
    std::memcpy(data_.get(), &header, sizeof header);
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
    AssignItemFields(e, f);
    e.MapFileId = MapFileId();
    return e;
}

}  // namespace catalog
