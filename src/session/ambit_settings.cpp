#include "session/ambit_settings.h"

#include "catalog/catalog.h"
#include "platform/paths.h"

namespace session {

AmbitSettings AmbitSettings::Defaults() {
    AmbitSettings s;
    s.email = kPlaceholderEmail;
    s.downloadDir = platform::DefaultDownloadDirectory();
    s.deleteConfirmation = 1;
    s.lastItem = 1;
    s.serverAddress = catalog::DefaultMapServerAddress();
    s.serverPath = catalog::kFirstDataFilePath;
    return s;
}

static bool Blank(const std::string& s) { return s.find_first_not_of(" \t") == std::string::npos; }

// The stored default names the built-in server, which $AMBIT_MAP_SERVER may
// move; only an address the user typed is taken as it stands.
std::string AmbitSettings::MapServer() const {
    if (Blank(serverAddress) || serverAddress == catalog::DefaultMapServerAddress())
        return catalog::MapServerAddress();
    return serverAddress;
}

std::string AmbitSettings::MapPath() const {
    return Blank(serverPath) ? std::string(catalog::kFirstDataFilePath) : serverPath;
}

}  // namespace session
