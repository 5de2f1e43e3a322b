// Listed entries are built here rather than in the browser so that their
// fields and order can be checked without a server.
#include "ftpsites/listed_entries.h"

#include <string_view>

namespace ftpsites {

catalog::CEntry MakeListedEntry(ListedLine line, bool isDirectory, const std::string& siteAddress,
                                const std::string& parentPath) {
    catalog::CEntry e;
    e.Location.reserve(parentPath.size() + 1 + line.name.size());
    e.Location.append(parentPath).append(1, '/').append(line.name);
    e.Name = std::move(line.name);
    e.Path = isDirectory ? catalog::kFtpDirPath : catalog::kFtpFilePath;
    e.Address = siteAddress;
    e.Size = std::move(line.size);
    e.Date = std::move(line.date);
    return e;
}

namespace {

// 0 for directories, 1 for files, 2 for anything else.
int Rank(const catalog::CEntry& e) {
    // Asked twice per comparison when a big listing is sorted.
    static constexpr std::string_view dir = catalog::kFtpDirPath, file = catalog::kFtpFilePath;
    const std::string_view path = e.Path;
    if (path == dir) return 0;
    if (path == file) return 1;
    return 2;
}

}  // namespace

int CompareListedEntries(const catalog::CEntry& a, const catalog::CEntry& b) {
    int ra = Rank(a), rb = Rank(b);
    if (ra != rb) return ra < rb ? -1 : 1;
    // std::string compares as unsigned bytes, which keeps multibyte names
    // in code point order for UTF-8.
    int c = a.Name.compare(b.Name);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

}  // namespace ftpsites
