#include "transfer/file_association.h"

#include "platform/desktop_default_app.h"
#include "platform/string_printf.h"
#include "store/registry_errors.h"
#include "store/registry_key.h"
#include "store/registry_string.h"

namespace transfer {

std::string FileAssociation::ExtensionOf(const std::string& localPath) {
    size_t dot = localPath.rfind('.');
    return dot == std::string::npos ? "" : localPath.substr(dot);
}

std::string FileAssociation::CutCommand(const std::string& command) {
    size_t quote = command.find('"');
    if (quote != std::string::npos) return command.substr(0, quote);
    size_t percent = command.find('%');
    if (percent != std::string::npos) return command.substr(0, percent);
    return command;
}

std::string FileAssociation::FromRegistry(const std::string& extension) {
    if (extension.empty()) return "";
    try {
        std::string type =
            store::RegistryString(
                store::kLocalMachine,
                platform::StringPrintf("SOFTWARE\\Classes\\%s", extension.c_str()), "")
                .Get();
        if (type.empty()) return "";
        std::string command =
            store::RegistryString(
                store::kLocalMachine,
                platform::StringPrintf("SOFTWARE\\Classes\\%s\\shell\\open\\command", type.c_str()),
                "")
                .Get();
        return CutCommand(command);
    } catch (const store::CRegistryError&) {
        // No entries for this extension: start-up goes on without a suggestion.
        return "";
    }
}

std::string FileAssociation::Suggestion(const std::string& localPath) {
    std::string fromStore = FromRegistry(ExtensionOf(localPath));
    if (!fromStore.empty()) return fromStore;
    return platform::DefaultOpenCommand(localPath);
}

}  // namespace transfer
