// What every test of the main program's logic needs: a fresh data
// directory, Windows directory and registry file in a temporary directory
// (through the same environment variables the program reads), a scripted
// prompt and a recording launcher, all restored when the test ends.
#pragma once

#include <cstdlib>
#include <string>

#include "platform/launcher.h"
#include "platform/paths.h"
#include "platform/prompt.h"
#include "platform/registry_db.h"
#include "recording_launcher.h"
#include "scripted_prompt.h"
#include "session/ambit_settings.h"
#include "session/settings_store.h"
#include "temp_dir.h"

namespace sessiontest {

class SessionTestEnv {
public:
    SessionTestEnv() : scopedPrompt_(&prompt) {
        previousLauncher_ = platform::SetLauncher(&launcher);
        setenv("AMBIT_DATA_DIR", DataDir().c_str(), 1);
        setenv("AMBIT_WINDIR", dir.File("windows").c_str(), 1);
        setenv("AMBIT_REGISTRY", dir.File("registry.sqlite3").c_str(), 1);
        // Downloads land in the test's directory, never the user's: no
        // user-dirs file to read, and the variable names the folder.
        setenv("XDG_CONFIG_HOME", dir.File("config").c_str(), 1);
        setenv("XDG_DOWNLOAD_DIR", dir.File("Downloads").c_str(), 1);
        platform::RegistryDb::CloseShared();
        platform::MakeDirectories(DataDir());
    }
    ~SessionTestEnv() {
        platform::SetLauncher(previousLauncher_);
        platform::RegistryDb::CloseShared();
        unsetenv("AMBIT_MAP_SERVER");
        unsetenv("AMBIT_FTP_PORT");
        unsetenv("XDG_DOWNLOAD_DIR");
        unsetenv("XDG_CONFIG_HOME");
    }

    std::string DataDir() const { return dir.File("data"); }
    // The first-run download directory under this environment.
    std::string DownloadDir() const { return dir.File("Downloads/Internet Ambit"); }

    // Settings of a user who has been here before: a real address, so
    // start-up does not open the Options dialog.
    void StoreKnownUser() {
        session::SettingsStore::SelectApplicationKey();
        session::AmbitSettings s = session::AmbitSettings::Defaults();
        s.email = "reader@example.org";
        session::SettingsStore::Save(s);
        session::SettingsStore::MarkStarted();
    }

    testsupport::TempDir dir;
    platform::ScriptedPrompt prompt;
    platform::RecordingLauncher launcher;

private:
    platform::ScopedPrompt scopedPrompt_;
    platform::Launcher* previousLauncher_;
};

}  // namespace sessiontest
