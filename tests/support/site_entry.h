// An FTP site entry as the site dialog stores it: the user in DownloadDir,
// the scrambled password in Price.
#pragma once

#include <string>

#include "catalog/c_entry.h"
#include "catalog/catalog_tree.h"
#include "store/scramble.h"

namespace testsupport {

inline catalog::CEntry SiteEntry(const std::string& name, const std::string& user,
                                 const std::string& password, const std::string& path = "",
                                 const std::string& address = "127.0.0.1") {
    catalog::CEntry site;
    site.Name = name;
    site.Description = catalog::kFtpSiteDescription;
    site.Address = address;
    site.Path = path;
    site.DownloadDir = user;
    site.Price = password.empty() ? "" : store::Scramble(password);
    site.Location = std::string(catalog::kFtpSitesLocation) + name;
    return site;
}

}  // namespace testsupport
