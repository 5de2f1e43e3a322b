#include "catalog/download_target.h"

#include <algorithm>
#include <vector>

namespace catalog {
namespace {

std::string AfterLastSlash(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Applies the components of `relative` to `parts`; a ".." below the
// starting depth is dropped and reported.
void Apply(const std::string& relative, std::vector<std::string>& parts, size_t floor,
           bool* climbed) {
    size_t start = 0;
    while (start <= relative.size()) {
        size_t end = relative.find('/', start);
        if (end == std::string::npos) end = relative.size();
        std::string part = relative.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (parts.size() > floor)
                parts.pop_back();
            else if (climbed)
                *climbed = true;
            continue;
        }
        parts.push_back(std::move(part));
    }
}

std::string Join(const std::vector<std::string>& parts) {
    std::string out;
    for (const auto& p : parts) out += "/" + p;
    return out.empty() ? "/" : out;
}

}  // namespace

std::string NormalizeLocalPath(const std::string& path, bool* climbed) {
    std::vector<std::string> parts;
    Apply(path, parts, 0, climbed);
    return Join(parts);
}

DownloadTargetResolver::DownloadTargetResolver(std::string defaultDir)
    : defaultDir_(NormalizeLocalPath(defaultDir)) {}

DownloadTarget DownloadTargetResolver::Resolve(const CEntry& entry) const {
    const std::string tag = kDefaultDownloadDir;
    std::string dir = entry.DownloadDir;
    bool absolute = false;
    if (dir.compare(0, tag.size(), tag) == 0) {
        dir.erase(0, tag.size());
    } else if (!dir.empty() && dir[0] == '/') {
        absolute = true;
    }
    if (!absolute) std::replace(dir.begin(), dir.end(), '\\', '/');

    DownloadTarget t;
    std::vector<std::string> parts;
    size_t floor = 0;
    if (!absolute) {
        Apply(defaultDir_, parts, 0, nullptr);
        floor = parts.size();
    }
    Apply(dir + "/" + AfterLastSlash(entry.Path), parts, floor, absolute ? nullptr : &t.climbed);
    t.path = Join(parts);
    const std::string base = defaultDir_ == "/" ? "/" : defaultDir_ + "/";
    t.insideDefault = t.path.size() > base.size() && t.path.compare(0, base.size(), base) == 0;
    return t;
}

std::string DownloadTargetResolver::Problem(const CEntry& entry) {
    // Whoever runs the check has a default directory of their own; any
    // will do, as long as an absolute download directory counts as outside.
    const bool absolute = !entry.DownloadDir.empty() && entry.DownloadDir[0] == '/';
    DownloadTarget t = DownloadTargetResolver("/default").Resolve(entry);
    if (!absolute && t.insideDefault && !t.climbed) return {};
    return "item \"" + entry.Name +
           "\" would be downloaded outside the default download "
           "directory (download directory \"" +
           entry.DownloadDir + "\", path \"" + entry.Path + "\")";
}

}  // namespace catalog
