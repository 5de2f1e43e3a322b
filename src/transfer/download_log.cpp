#include "transfer/download_log.h"

#include "platform/paths.h"
#include "platform/string_array_file.h"
#include "transfer/post_transfer_action.h"

namespace transfer {

std::string DownloadLog::Path() {
    return platform::JoinPath(platform::SystemDirectory(), "ambit.log");
}

std::string DownloadLog::Format(const DownloadLogEntry& e) {
    char when[32] = "";
    std::tm local{};
    if (localtime_r(&e.when, &local)) std::strftime(when, sizeof when, "%m/%d/%y-%H:%M", &local);
    const std::string fields[] = {
        e.displayName,
        e.host,
        e.localPath,
        PostTransferAction::LogName(e.actionCode),
        when,
        std::to_string(e.totalSize),
        e.openWith.empty() ? "NONE" : e.openWith,
        e.remotePath,
        e.user,
        e.scrambledPassword,
        e.price.empty() ? "0.00" : e.price,
    };
    std::string out;
    for (const auto& f : fields) out += f + "$$";
    return out;
}

bool DownloadLog::Append(const DownloadLogEntry& entry, const std::string& path,
                         std::string* error) {
    size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0) platform::MakeDirectories(path.substr(0, slash));
    std::string why;
    // Private: the entries carry passwords, scrambled but reversible.
    if (platform::AppendToStringArrayFile(path, Format(entry), &why, 0600)) return true;
    if (error) *error = "The transfer could not be added to the download log. " + why;
    return false;
}

}  // namespace transfer
