// The catalog entries that live browsing makes from a listing, and their
// order: directories before files, each group by exact name. The entries
// carry the site's host so that downloads from them need no lookup, and
// their tree path, as every entry does.
#pragma once

#include <string>

#include "catalog/c_entry.h"
#include "net/listing_parser.h"

namespace ftpsites {

using net::ListedKind;
using net::ListedLine;
using net::ListingParser;

using catalog::ListingState;
using catalog::SetState;
using catalog::StateOf;

// A site's Date holds "INSITE" while one of its listings runs, and
// "OUTSITE" otherwise.
inline constexpr const char* kInSite = "INSITE";
inline constexpr const char* kOutSite = "OUTSITE";
inline void MarkSiteListing(catalog::CEntry& site, bool running) {
    site.Date = running ? kInSite : kOutSite;
}

// The entry for one listed line below the item at `parentPath` (its tree
// path); `isDirectory` is decided by the caller for links. The line is
// taken by value so that a caller done with it can move its strings in.
catalog::CEntry MakeListedEntry(ListedLine line, bool isDirectory, const std::string& siteAddress,
                                const std::string& parentPath);

// Negative, zero or positive: a directory before a file; within a kind by
// Name, byte by byte (so "B" before "a"). Entries of other kinds follow
// both, by name, so the order stays total whatever is passed in.
int CompareListedEntries(const catalog::CEntry& a, const catalog::CEntry& b);

}  // namespace ftpsites
