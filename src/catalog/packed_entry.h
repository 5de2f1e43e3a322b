// An item read from a data file, kept as the bytes of its line until some
// code asks for the entry itself. Large catalogs are mostly such items, and
// most of them are only ever inserted, listed and written back: nine heap
// strings per item would cost several times the file's size in memory and
// most of the reading time. One allocation holds the location prefix the
// read added, the line and the map-file id; the fields are split again
// whenever they are needed.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#include "catalog/c_entry.h"
#include "catalog/data_file_format.h"

namespace catalog {

class PackedEntry {
public:
    PackedEntry() = default;
    // `line` is an item line without leading blanks whose kind is Item,
    // `fields` what SplitItemLine made of it; `prefix` goes in front of its
    // location.
    PackedEntry(std::string_view prefix, std::string_view line, const ItemFields& fields,
                int mapFileId);

    explicit operator bool() const { return data_ != nullptr; }

    // Prefix and location field together, as CEntry::Location would hold it.
    std::string_view Location() const { return {Bytes(), Header().locationSize}; }
    // The text after the location's last "/", as CEntry::Name would hold it.
    std::string_view Name() const {
        HeaderBlock h = Header();
        return {Bytes() + h.locationSize - h.nameSize, h.nameSize};
    }
    // Whether a save writes the line back as it is, but for the location
    // (see IsVerbatimItemLine).
    bool Verbatim() const { return Header().verbatim != 0; }
    int MapFileId() const { return Header().mapFileId; }
    // The line as read, without leading blanks or its line end.
    std::string_view Line() const { return {Bytes() + Header().prefixSize, Header().lineSize}; }
    // The line from the colon that ends its location field on (empty when
    // the location field takes the whole line).
    std::string_view AfterLocation() const {
        HeaderBlock h = Header();
        return Line().substr(h.locationSize - h.prefixSize);
    }
    // The line's fields; Location is the field alone, without the prefix.
    ItemFields Fields() const { return SplitItemLine(Line()); }
    bool IsFree() const;
    // The entry ParseDataLine would have made of the line, with the id.
    CEntry Unpack() const;

private:
    struct HeaderBlock {
        std::uint32_t prefixSize;
        std::uint32_t lineSize;
        std::uint32_t locationSize;  // of the prefix and the location field
        std::uint32_t nameSize;      // the end of the location
        std::int32_t mapFileId;
        std::uint32_t verbatim;
    };
    HeaderBlock Header() const {
        HeaderBlock h;
        std::memcpy(&h, data_.get(), sizeof h);
        return h;
    }
    const char* Bytes() const { return data_.get() + sizeof(HeaderBlock); }

    std::unique_ptr<char[]> data_;
};

}  // namespace catalog
