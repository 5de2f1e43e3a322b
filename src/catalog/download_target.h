// Where a catalog item's download is written. The download directory and
// the remote path come from data files that a map server supplies, so they
// are not trusted: a download directory of "[default]/../../.config/autostart"
// must not let a catalog line plant a file that runs at the next login.
// The path is normalised without touching the disk, ".." never climbs out
// of the default download directory, and the caller learns whether the
// result lies inside that directory, so that a target elsewhere is only
// ever written after the user has seen it.
#pragma once

#include <string>

#include "catalog/c_entry.h"

namespace catalog {

struct DownloadTarget {
    std::string path;            // absolute and normalised
    bool insideDefault = false;  // strictly below the default download directory
    bool climbed = false;        // a ".." that would have left it was dropped
};

class DownloadTargetResolver {
public:
    // `defaultDir` is the absolute default download directory.
    explicit DownloadTargetResolver(std::string defaultDir);

    // The local file for `entry`: its download directory ("[default]..."
    // and relative directories are below the default download directory,
    // "\" separating their parts as in data files written on other
    // systems; an absolute directory stays where it is) followed by the
    // part of its Path after the last "/".
    DownloadTarget Resolve(const CEntry& entry) const;

    // What `ambit-catalog check` says about an item whose download would
    // leave the default download directory, or "" when it stays inside.
    static std::string Problem(const CEntry& entry);

private:
    std::string defaultDir_;
};

// `path` with "." and empty components removed and ".." applied (never
// above the root; *climbed is set when one was dropped there).
std::string NormalizeLocalPath(const std::string& path, bool* climbed = nullptr);

}  // namespace catalog
