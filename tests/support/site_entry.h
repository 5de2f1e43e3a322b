// An FTP site entry as the site dialog stores it, for the tests that browse
// a site: one place that knows which entry field holds the user and which
// the scrambled password.
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
