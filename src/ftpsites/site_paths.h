// Where an item below an FTP site lives on the server. Downloads and
// uploads (which start the transfer program) need the same answer as
// listing does, so both take it from here.
#pragma once

#include <string>

#include "catalog/tree_item.h"

namespace ftpsites {

// The nearest item at or above `item` whose entry is an FTP site, or null.
catalog::TreeItem* FindSiteItem(catalog::TreeItem* item);
const catalog::TreeItem* FindSiteItem(const catalog::TreeItem* item);

// The site's directory followed by the texts of the items from below the
// site down to `item`, joined by "/": "/pub/tools/a.zip" for a.zip in
// tools of a site whose directory is "/pub". For the site itself the
// site's directory with a trailing "/". Empty when `item` is below no site.
std::string SiteRelativePath(const catalog::TreeItem* item);

}  // namespace ftpsites
