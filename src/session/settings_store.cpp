#include "session/settings_store.h"

#include "store/registry_application.h"
#include "store/registry_number.h"
#include "store/registry_string.h"

namespace session {

void SettingsStore::SelectApplicationKey() {
    store::SetCompanyKey(store::kDefaultCompanyKey);
    store::SetApplication(store::kApplicationName, store::kApplicationVersion);
}

AmbitSettings SettingsStore::Load() {
    const AmbitSettings d = AmbitSettings::Defaults();
    AmbitSettings s;
    s.email = store::RegistryString(kEmail, d.email).Get();
    s.downloadDir = store::RegistryString(kDownloadDir, d.downloadDir).Get();
    s.deleteConfirmation = store::RegistryNumber(kDeleteConfirmation, d.deleteConfirmation).Get();
    s.serverAddress = store::RegistryString(kServerAddress, d.serverAddress).Get();
    s.serverPath = store::RegistryString(kServerPath, d.serverPath).Get();
    s.lastItem = store::RegistryNumber(kLastItem, d.lastItem).Get();
    return s;
}

void SettingsStore::Save(const AmbitSettings& s) {
    SelectApplicationKey();
    store::RegistryString(kEmail).Set(s.email);
    store::RegistryString(kDownloadDir).Set(s.downloadDir);
    store::RegistryNumber(kDeleteConfirmation).Set(s.deleteConfirmation);
    store::RegistryString(kServerAddress).Set(s.serverAddress);
    store::RegistryString(kServerPath).Set(s.serverPath);
    store::RegistryNumber(kLastItem).Set(s.lastItem);
}

bool SettingsStore::StartedBefore() { return store::RegistryNumber(kStartedBefore, 0).Get() != 0; }

void SettingsStore::MarkStarted() { store::RegistryNumber(kStartedBefore).Set(1); }

}  // namespace session
