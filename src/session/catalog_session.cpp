#include "session/catalog_session.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "catalog/catalog_tree.h"
#include "platform/paths.h"
#include "platform/prompt.h"
#include "session/settings_store.h"
#include "store/registry_application.h"
#include "store/registry_errors.h"
#include "store/scramble.h"

namespace session {
namespace {

std::string Upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
    return s;
}

constexpr const char* kNewVersionQuestion =
    "This is a new version of Ambit. Would you like me to download and install it? (I will have to "
    "quit the program)";

std::string AfterLastSlash(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

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
    LoadSettingsAndCatalog(hooks);
    if (hooks.expandRoot) hooks.expandRoot();
    // Step 9, the MapFiles folder, comes with map files; step 10, the
    // offer to resume interrupted purchases, with resume records.
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
    catalog_.SetChanged();
}

bool CatalogSession::FetchFirstDataFile() { return catalog_.FetchFirstDataFile(); }

std::string CatalogSession::LocalPathFor(const catalog::CEntry& entry) const {
    const std::string defaultTag = catalog::kDefaultDownloadDir;
    std::string dir = entry.DownloadDir;
    if (dir.compare(0, defaultTag.size(), defaultTag) == 0)
        dir = settings_.downloadDir + dir.substr(defaultTag.size());
    return platform::JoinPath(dir, AfterLastSlash(entry.Path));
}

bool CatalogSession::DownloadItem(const catalog::CEntry& entry, const std::string& localPath,
                                  bool ascii, bool* installAndQuit) {
    if (installAndQuit) *installAndQuit = false;
    size_t slash = localPath.rfind('/');
    if (slash != std::string::npos && slash > 0)
        platform::MakeDirectories(localPath.substr(0, slash));

    std::string install = "N";
    const std::string name = Upper(entry.Name);
    const std::string path = Upper(entry.Path);
    if (name.compare(0, 5, "AMBIT") == 0 && path.size() >= 3 &&
        path.compare(path.size() - 3, 3, "EXE") == 0 &&
        platform::CurrentPrompt().AskYesNo(kNewVersionQuestion))
        install = "Y";

    bool started = skiff_.Start({entry.Address, entry.Path, "ftp", store::Scramble(settings_.email),
                                 localPath, ascii ? "0" : "1", install});
    if (started && install == "Y" && installAndQuit) *installAndQuit = true;
    return started;
}

bool CatalogSession::DownloadCatalogItem(const catalog::TreeItem* item, bool* installAndQuit) {
    if (installAndQuit) *installAndQuit = false;
    if (!item || !item->Entry()) return false;
    const catalog::CEntry& entry = *item->Entry();
    return DownloadItem(entry, LocalPathFor(entry), false, installAndQuit);
}

bool CatalogSession::CloseCatalog() {
    if (catalog_.Changed() &&
        platform::CurrentPrompt().AskYesNo(
            "You have made changes to your tree, would you like to save them?") &&
        !catalog_.SaveCatalog() &&
        !platform::CurrentPrompt().AskYesNo(
            "Your changes could not be saved. Quit anyway and lose them?")) {
        return false;
    }
    if (catalog::TreeItem* root = catalog_.Tree().RootItem())
        catalog_.Tree().DeleteSubtree(root, true);
    return true;
}

}  // namespace session
