// Reading and writing the user's settings in the registry, under the
// program's key, with the defaults a missing value takes. Also the marker
// that tells the first start of the program from later ones.
#pragma once

#include <string>

#include "session/ambit_settings.h"

namespace session {

class SettingsStore {
public:
    // Registry value names.
    static constexpr const char* kEmail = "email";
    static constexpr const char* kDownloadDir = "download dir";
    static constexpr const char* kDeleteConfirmation = "delete confirmation";
    static constexpr const char* kServerAddress = "server address";
    static constexpr const char* kServerPath = "server path";
    static constexpr const char* kLastItem = "last item";
    // Set once a start has offered the first data file.
    static constexpr const char* kStartedBefore = "started before";

    // Selects the program's key (company, application, version).
    static void SelectApplicationKey();

    // Reads every setting, planting the default of a missing one. Throws
    // the registry's errors (a value of the wrong type: CRegistryEType).
    static AmbitSettings Load();
    // Writes every setting in the Options dialog's order.
    static void Save(const AmbitSettings& settings);

    static bool StartedBefore();
    static void MarkStarted();
};

}  // namespace session
