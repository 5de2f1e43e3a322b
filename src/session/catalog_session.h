// The catalog as the main window runs it: start-up (settings, the first
// data file or ambit.amb), fetching the map server's first data file,
// handing a catalog item's download to skiff, and the save question on
// close. It holds no widget; the window supplies what must be shown
// (the Options dialog, the expanded root) through hooks, so the whole
// start-up can be driven and checked without a window.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "catalog/catalog.h"
#include "catalog/download_target.h"
#include "session/ambit_settings.h"
#include "session/resume_offer.h"
#include "session/site_transfers.h"
#include "session/skiff_starter.h"

namespace session {

class CatalogSession {
public:
    // What start-up asks of the window, each optional.
    struct Hooks {
        std::function<void()> showWindow;     // before the settings and the catalog are read
        std::function<void()> openOptions;    // step 7: the e-mail address is still the placeholder
        std::function<void()> expandRoot;     // step 8
        std::function<void()> buildMapFiles;  // step 9, after the MapFiles folder is built
        std::function<void()> offerResume;    // step 10: interrupted purchases
    };

    explicit CatalogSession(std::string dataDirectory);
    ~CatalogSession();

    catalog::Catalog& Catalog() { return catalog_; }
    // Installs how data files are fetched (over FTP in the program; none:
    // every fetch fails).
    void SetFetcher(std::unique_ptr<catalog::DataFileFetcher> fetcher);
    const AmbitSettings& Settings() const { return settings_; }
    const std::string& DataDirectory() const { return dataDirectory_; }
    const std::string& WindowsDirectory() const { return windowsDirectory_; }

    // Installs edited settings: writes them to the registry, then uses them.
    // A registry failure is reported and leaves the old settings in use.
    bool ApplySettings(const AmbitSettings& settings);

    // The view's start-up, steps 1 to 10.
    void InitialUpdate(const Hooks& hooks);
    // Steps 4 to 7: settings, the catalog, the placeholder check.
    void LoadSettingsAndCatalog(const Hooks& hooks);

    // Fetches the first data file from the map server into the tree.
    bool FetchFirstDataFile();

    // Where a catalog item goes: its download directory ("[default]..."
    // meaning the default download directory), then the file name of its
    // Path, kept below the default download directory unless the download
    // directory plainly names another place.
    catalog::DownloadTarget TargetFor(const catalog::CEntry& entry) const;
    std::string LocalPathFor(const catalog::CEntry& entry) const { return TargetFor(entry).path; }
    // What Item Properties shows for an ordinary catalog item.
    ItemProperties PropertiesOf(const catalog::CEntry& entry) const;

    // Hands the download of a catalog item to skiff. `ascii` selects mode 0
    // over 1. Sets *installAndQuit when the user agreed to install a new
    // version of the program and skiff was started. False when nothing was
    // started.
    bool DownloadItem(const catalog::CEntry& entry, const std::string& localPath, bool ascii,
                      bool* installAndQuit);
    // The Download command for an ordinary item: to LocalPathFor, binary.
    // Nothing is started (false) when that lies outside the default
    // download directory: the user must see such a target first.
    bool DownloadCatalogItem(const catalog::TreeItem* item, bool* installAndQuit);

    // Offers every interrupted purchase for resuming (ResumeOffer); the
    // window supplies how the billing password is asked for. Returns how
    // many transfers were started.
    int OfferResume(const ResumeOffer::AskPassword& askPassword);

    // Transfers of the files of open FTP sites.
    SiteTransfers& SiteFiles() { return siteFiles_; }
    const SkiffStarter& Skiff() const { return skiff_; }

    // Buying a priced item, supplied by the window (ItemPurchase with its
    // dialogs): starts the purchase of `entry` to `localPath`, true when it
    // started; sets *installAndQuit as DownloadItem does. Until one is
    // installed, nothing can be bought.
    using PurchaseHook = std::function<bool(const catalog::CEntry& entry,
                                            const std::string& localPath, bool* installAndQuit)>;
    void SetPurchaseHook(PurchaseHook hook) { purchase_ = std::move(hook); }
    bool CanPurchase() const { return static_cast<bool>(purchase_); }
    bool Purchase(const catalog::CEntry& entry, const std::string& localPath,
                  bool* installAndQuit) const {
        if (installAndQuit) *installAndQuit = false;
        return purchase_ && purchase_(entry, localPath, installAndQuit);
    }

    // The close check: asks to save a changed catalog, then deletes the
    // tree. False (nothing deleted) when saving failed and the user chose
    // to keep the program open so the changes are not lost.
    bool CloseCatalog();

private:
    void FetchAsFirstStart();

    std::string dataDirectory_;
    std::string windowsDirectory_;
    AmbitSettings settings_;
    catalog::Catalog catalog_;
    std::unique_ptr<catalog::DataFileFetcher> fetcher_;
    SkiffStarter skiff_;
    SiteTransfers siteFiles_{skiff_, settings_};
    PurchaseHook purchase_;
};

}  // namespace session
