// The site's stored directory comes from the server's PWD reply ("/" at the
// top), so the join takes care not to double the slash.
#include "ftpsites/site_paths.h"

#include <vector>

namespace ftpsites {

const catalog::TreeItem* FindSiteItem(const catalog::TreeItem* item) {
    for (; item; item = item->Parent())
        if (item->HasEntry() && item->Entry()->Description == catalog::kFtpSiteDescription)
            return item;
    return nullptr;
}

catalog::TreeItem* FindSiteItem(catalog::TreeItem* item) {
    return const_cast<catalog::TreeItem*>(
        FindSiteItem(static_cast<const catalog::TreeItem*>(item)));
}

std::string SiteRelativePath(const catalog::TreeItem* item) {
    const catalog::TreeItem* site = FindSiteItem(item);
    if (!site) return {};
    std::vector<const std::string*> below;
    for (const catalog::TreeItem* i = item; i != site; i = i->Parent()) below.push_back(&i->Text());

    std::string path = site->Entry()->Path;
    if (path.empty() || path.back() != '/') path += '/';
    for (size_t k = below.size(); k-- > 0;) {
        path += *below[k];
        if (k > 0) path += '/';
    }
    return path;
}

}  // namespace ftpsites
