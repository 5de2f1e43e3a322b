#include "transfer/file_association.h"

#include "platform/desktop_default_app.h"
#include "platform/registry_db.h"
#include "platform/string_printf.h"
#include "store/registry_key.h"

namespace transfer {

namespace {

// The default text value of HKLM\path, "" when there is none. Only looks:
// a lookup for every received extension must leave no key behind.
std::string DefaultText(const std::string& path) {
    platform::RegistryDb& db = platform::RegistryDb::Shared();
    platform::RegistryDb::KeyId key = 0;
    if (db.OpenKey(store::kLocalMachine, path, key) != platform::RegStatus::Ok) return "";
    std::uint32_t type = 0;
    std::string data;
    if (db.QueryValue(key, "", type, data) != platform::RegStatus::Ok ||
        type != platform::RegistryDb::kString)
        return "";
    return data.substr(0, data.find('\0'));
}

}  // namespace

std::string FileAssociation::ExtensionOf(const std::string& localPath) {
    // From the file name only: a dot in a folder name is no extension.
    size_t slash = localPath.rfind('/');
    size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    size_t dot = localPath.rfind('.');
    return dot == std::string::npos || dot < nameStart ? "" : localPath.substr(dot);
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
    std::string type =
        DefaultText(platform::StringPrintf("SOFTWARE\\Classes\\%s", extension.c_str()));
    if (type.empty()) return "";
    return CutCommand(DefaultText(
        platform::StringPrintf("SOFTWARE\\Classes\\%s\\shell\\open\\command", type.c_str())));
}

std::string FileAssociation::Suggestion(const std::string& localPath) {
    std::string fromStore = FromRegistry(ExtensionOf(localPath));
    if (!fromStore.empty()) return fromStore;
    return platform::DefaultOpenCommand(localPath);
}

}  // namespace transfer
