#include "session/catalog_session.h"

#include <cstdio>

#include "catalog/catalog_tree.h"
#include "catalog/map_files.h"
#include "platform/file_actions.h"
#include "platform/paths.h"
#include "platform/prompt.h"
#include "session/settings_store.h"
#include "store/registry_application.h"
#include "store/registry_errors.h"
#include "store/scramble.h"

namespace session {
namespace {

void RemoveFile(const std::string& path) { std::remove(path.c_str()); }

}  // namespace

CatalogSession::CatalogSession(std::string dataDirectory)
    : dataDirectory_(std::move(dataDirectory)),
      windowsDirectory_(platform::WindowsDirectory()),
      settings_(AmbitSettings::Defaults()),
      catalog_(dataDirectory_),
      skiff_(dataDirectory_) {}

CatalogSession::~CatalogSession() { catalog_.SetFetcher(nullptr); }

void CatalogSession::SetFetcher(std::unique_ptr<catalog::DataFileFetcher> fetcher) {
    fetcher_ = std::move(fetcher);
    catalog_.SetFetcher(fetcher_.get());
}

bool CatalogSession::ApplySettings(const AmbitSettings& settings) {
    try {
        SettingsStore::Save(settings);
    } catch (const store::CRegistryError&) {
        platform::CurrentPrompt().Message(
            "Your settings could not be saved: " + store::RegistryLastError() +
            "\nThe previous settings stay in use.");
        return false;
    }
    settings_ = settings;
    return true;
}

void CatalogSession::InitialUpdate(const Hooks& hooks) {
    // Step 1 happened in the constructor; step 2, the images, is the view's.
    // Step 3: the settings are read only in step 4, so the map server's
    // site gets the placeholder address as its anonymous password.
    catalog_.InsertRootItems(catalog::MapServerAddress(), store::Scramble(kPlaceholderEmail));
    // A large catalog takes a while to read: the window is there first.
    if (hooks.showWindow) hooks.showWindow();
    LoadSettingsAndCatalog(hooks);
    if (hooks.expandRoot) hooks.expandRoot();
    catalog::MapFiles(catalog_).BuildMapFilesFolder();
    if (hooks.buildMapFiles) hooks.buildMapFiles();
    if (hooks.offerResume) hooks.offerResume();
}

void CatalogSession::LoadSettingsAndCatalog(const Hooks& hooks) {
    bool startedBefore = true;
    try {
        SettingsStore::SelectApplicationKey();
        settings_ = SettingsStore::Load();
        startedBefore = SettingsStore::StartedBefore();
    } catch (const store::CRegistryError&) {
        // Starting with nothing and no word would look like a lost catalog.
        platform::CurrentPrompt().Message(
            "Your settings could not be read: " + store::RegistryLastError() +
            "\nInternet Ambit starts with its default settings.");
        settings_ = AmbitSettings::Defaults();
    }

    std::string mainFile = catalog_.DataPath(catalog::kMainDataFile);
    if (!startedBefore && !platform::FileExists(mainFile)) {
        if (platform::CurrentPrompt().AskYesNo(
                "Would you like to get a new datafile from the Internet?"))
            FetchAsFirstStart();
    } else if (!catalog_.LoadMainDataFile() &&
               platform::CurrentPrompt().AskYesNo(
                   "Could not open data file. Would you like to to get one from the Internet?")) {
        FetchAsFirstStart();
    }
    if (!startedBefore) {
        try {
            SettingsStore::MarkStarted();
        } catch (const store::CRegistryError&) {
            // Only means the next start asks the first-start question again.
        }
    }

    if (settings_.email == kPlaceholderEmail && hooks.openOptions) hooks.openOptions();
}

void CatalogSession::FetchAsFirstStart() {
    FetchFirstDataFile();
    // The index and source table described the catalog that was there
    // before; the fetched file starts a new one.
    RemoveFile(catalog_.DataPath(catalog::kIndexFile));
    RemoveFile(catalog_.DataPath(catalog::kSourceTableFile));
    catalog_.ForgetSources();
    catalog_.SetChanged();
}

bool CatalogSession::FetchFirstDataFile() { return catalog_.FetchFirstDataFile(); }

catalog::DownloadTarget CatalogSession::TargetFor(const catalog::CEntry& entry) const {
    return catalog::DownloadTargetResolver(settings_.downloadDir).Resolve(entry);
}

ItemProperties CatalogSession::PropertiesOf(const catalog::CEntry& entry) const {
    ItemProperties p;
    p.fileName = entry.Name;
    p.address = entry.Address;
    p.path = entry.Path;
    p.description = entry.Description;
    p.date = entry.Date;
    p.size = entry.Size;
    p.price = entry.Price;
    p.saveAs = LocalPathFor(entry);
    p.transferTime = SiteTransfers::TransferTime(entry.Address, entry.Size);
    return p;
}

bool CatalogSession::DownloadItem(const catalog::CEntry& entry, const std::string& localPath,
                                  bool ascii, bool* installAndQuit) {
    if (installAndQuit) *installAndQuit = false;
    platform::MakeDirectories(platform::FileActions::DirectoryOf(localPath));
    const std::string install = SiteTransfers::OfferNewVersion(entry.Name, entry.Path) ? "Y" : "N";

    // The address may come from a settings file written before the Options
    // field was limited; refuse it here rather than end the program.
    std::string password, why;
    if (!store::TryScramble(settings_.email, password, &why)) {
        platform::CurrentPrompt().Message(
            "Your e-mail address cannot be passed to the transfer "
            "program. " +
            why + " Please shorten it in Options.");
        return false;
    }
    bool started = skiff_.Start(
        {entry.Address, entry.Path, "ftp", password, localPath, ascii ? "0" : "1", install});
    if (started && install == "Y" && installAndQuit) *installAndQuit = true;
    return started;
}

bool CatalogSession::DownloadCatalogItem(const catalog::TreeItem* item, bool* installAndQuit) {
    if (installAndQuit) *installAndQuit = false;
    if (!item || !item->Entry()) return false;
    const catalog::CEntry& entry = *item->Entry();
    catalog::DownloadTarget target = TargetFor(entry);
    if (!target.insideDefault) return false;
    return DownloadItem(entry, target.path, false, installAndQuit);
}

bool CatalogSession::CloseCatalog() {
    if (catalog_.Changed()) {
        switch (platform::CurrentPrompt().AskSaveChanges(
            "You have made changes to your tree, would you like to save them?")) {
            case platform::SaveAnswer::kCancel:
                return false;
            case platform::SaveAnswer::kSave:
                if (!catalog_.SaveCatalog() &&
                    !platform::CurrentPrompt().AskYesNo(
                        "Your changes could not be saved. Quit anyway and lose them?"))
                    return false;
                break;
            case platform::SaveAnswer::kDiscard:
                break;
        }
    }
    if (catalog::TreeItem* root = catalog_.Tree().RootItem())
        catalog_.Tree().DeleteSubtree(root, true);
    return true;
}

int CatalogSession::OfferResume(const ResumeOffer::AskPassword& askPassword) {
    return ResumeOffer(skiff_, askPassword).Run();
}

}  // namespace session
