#include "session/help_manual.h"

#include "platform/launcher.h"
#include "platform/paths.h"
#include "platform/prompt.h"

namespace session {

std::vector<std::string> HelpManual::SearchDirectories() {
    std::vector<std::string> dirs;
    std::string exe = platform::ExecutableDirectory();
    if (!exe.empty()) {
        dirs.push_back(platform::JoinPath(exe, "docs"));
        dirs.push_back(platform::JoinPath(exe, AMBIT_MANUAL_FROM_BINDIR));
    }
    dirs.push_back(platform::JoinPath(platform::DataDirectory(), "docs"));
    return dirs;
}

std::string HelpManual::FindPage(const std::string& page) {
    for (const std::string& dir : SearchDirectories()) {
        std::string path = platform::JoinPath(dir, page);
        if (platform::FileExists(path)) return path;
    }
    return "";
}

bool HelpManual::Open(const std::string& page) {
    std::string path = FindPage(page);
    if (path.empty()) {
        platform::CurrentPrompt().Message("The user manual (" + page +
                                          ") is not installed beside the program or in the data "
                                          "directory. Reinstall Internet Ambit to restore it.");
        return false;
    }
    std::string error;
    if (!platform::CurrentLauncher().Start({"xdg-open", path}, &error)) {
        platform::CurrentPrompt().Warning("Could not open the user manual in your web browser: " +
                                          platform::StartFailureText({"xdg-open"}, error) +
                                          "\nYou can open " + path + " yourself.");
        return false;
    }
    return true;
}

}  // namespace session
