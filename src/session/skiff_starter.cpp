#include "session/skiff_starter.h"

#include "platform/launcher.h"
#include "platform/paths.h"
#include "platform/prompt.h"

namespace session {

std::string SkiffStarter::ProgramPath() const {
    std::string exe = platform::ExecutableDirectory();
    if (!exe.empty()) {
        std::string beside = platform::JoinPath(exe, "skiff");
        if (platform::FileExists(beside)) return beside;
    }
    return platform::JoinPath(dataDirectory_, "skiff");
}

std::string SkiffStarter::JoinFields(const std::vector<std::string>& fields) {
    std::string line;
    for (const std::string& f : fields) {
        line += f;
        line += "$$";
    }
    return line;
}

bool SkiffStarter::FieldsArePassable(const std::vector<std::string>& fields,
                                     std::string* offending) {
    for (const std::string& f : fields) {
        if (f.find("$$") != std::string::npos) {
            if (offending) *offending = f;
            return false;
        }
    }
    return true;
}

bool SkiffStarter::Start(const std::vector<std::string>& fields) const {
    std::string offending;
    if (!FieldsArePassable(fields, &offending)) {
        platform::CurrentPrompt().Message(
            "The transfer cannot be started because \"" + offending +
            "\" contains \"$$\", which the transfer program reads as "
            "a field separator. Rename the file or choose another path.");
        return false;
    }
    std::string program = ProgramPath();
    std::string error;
    if (!platform::CurrentLauncher().Start({program, JoinFields(fields)}, &error)) {
        platform::CurrentPrompt().Message("Could not start the transfer program (" + program +
                                          "): " + error +
                                          "\nReinstall Internet Ambit so that skiff is beside it.");
        return false;
    }
    return true;
}

}  // namespace session
