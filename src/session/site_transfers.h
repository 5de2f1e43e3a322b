// Every transfer the main window hands to skiff for a file of an open FTP
// site: the direct download, the download through Item Properties, and the
// upload into a site's directory; also what Item Properties shows for an
// item, and the new-version question that both kinds of download ask.
// skiff gets the site's user and its password still scrambled, as stored.
#pragma once

#include <string>

#include "catalog/tree_item.h"
#include "session/ambit_settings.h"
#include "session/skiff_starter.h"

namespace session {

// What the Item Properties dialog shows for one item.
struct ItemProperties {
    std::string fileName, address, path, description, date, size, price;
    std::string saveAs;        // where the download goes unless the user changes it
    std::string transferTime;  // estimated from the site's speed values
    // Not free: the Download button buys, and the price shows.
    bool Priced() const { return !price.empty() && price != "0.00"; }
};

class SiteTransfers {
public:
    // Both must outlive this; the settings are read at each call, so edits
    // in the Options dialog apply at once.
    SiteTransfers(const SkiffStarter& skiff, const AmbitSettings& settings)
        : skiff_(skiff), settings_(settings) {}

    enum class Outcome {
        kStarted,
        kNotStarted,  // refused or failed; the user has been told
        kConfirm,     // the target lies outside the default download directory:
                      // show Item Properties instead
    };

    // The direct download of an FTPFILE, binary, into the default download
    // directory under its own name.
    Outcome DownloadSiteFile(const catalog::TreeItem* item) const;

    // Item Properties of an FTPFILE or FTPDIR.
    ItemProperties PropertiesOf(const catalog::TreeItem* item) const;
    // Download pressed in them: the new-version question, then skiff with
    // the seventh field. *installAndQuit is set when the user agreed to
    // install and skiff was started.
    bool DownloadFromProperties(const catalog::TreeItem* item, const std::string& saveAs,
                                bool ascii, bool* installAndQuit) const;

    // Uploads a local file into the selected directory (the parent of a
    // selected FTPFILE, the site's own directory for the site).
    bool Upload(const catalog::TreeItem* selected, const std::string& localPath, bool ascii) const;
    // The remote path an upload goes to: the site's directory, "/", the
    // directories below the site, "/", the file's name. Selecting the site
    // itself leaves the doubled "/" in place, which servers read as one.
    static std::string UploadRemotePath(const catalog::TreeItem* selected,
                                        const std::string& localPath);

    // A file named "ambit...exe" is a new version of this program: asks
    // whether to install it. True for Yes.
    static bool OfferNewVersion(const std::string& name, const std::string& remotePath);

    // The transfer-time estimate for `size` bytes from `host`.
    static std::string TransferTime(const std::string& host, const std::string& size);

private:
    const SkiffStarter& skiff_;
    const AmbitSettings& settings_;
};

}  // namespace session
