// The LIST reply parser, on a whole listing and as a link target's listing.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "net/listing_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const net::ListingParser parser(2026, 12);
    std::string_view listing(reinterpret_cast<const char*>(data), size);
    int linkChecks = 0;
    for (const net::ListedLine& line : parser.Parse(listing)) {
        // A usable name never leads anywhere but into the listed directory.
        if (line.name.empty() || line.name.find('/') != std::string::npos ||
            line.name.find('\n') != std::string::npos || line.name == "." || line.name == "..")
            __builtin_trap();
        if (linkChecks++ < 4) parser.TargetListingIsDirectory(listing, line.name);
    }
    return 0;
}
