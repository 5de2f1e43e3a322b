#include "transfer/post_transfer_action.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/file_actions.h"
#include "platform/prompt.h"

namespace transfer {

std::string PostTransferAction::LogName(int code) {
    switch (code) {
        case kActionExecute:
            return "Exec";
        case kActionUnzip:
            return "UnZip";
        case kActionOpenAsText:
            return "View";
        case kActionOpenWith:
            return "OpenW";
        default:
            return "None";
    }
}

void PostTransferAction::Run(int code, const std::string& localPath, const std::string& openWith) {
    using platform::FileActions;
    switch (code) {
        case kActionExecute:
            // Every plain download ends here by default, and most received
            // files are not programs: as before, a file that cannot run is
            // quietly left alone.
            FileActions::Execute(localPath);
            break;
        case kActionUnzip:
            FileActions::UnzipAndShow(localPath);
            break;
        case kActionOpenAsText:
            FileActions::OpenAsText(localPath);
            break;
        case kActionOpenWith:
            FileActions::OpenWith(openWith, localPath);
            break;
        default:
            break;  // Download Only
    }
}

void PostTransferAction::RunInstaller(const std::string& localPath) {
    std::string error;
    // Through a descriptor, so a link put in the file's place is not
    // followed and what gets the execute bit is what is then started.
    int fd = ::open(localPath.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0)
        error = std::strerror(errno);
    else if (!S_ISREG(st.st_mode))
        error = "it is not a regular file";
    else if (::fchmod(fd, (st.st_mode & 0777) | S_IXUSR) != 0)
        error = std::strerror(errno);
    if (fd >= 0) ::close(fd);
    if (error.empty() && platform::FileActions::Execute(localPath, &error)) return;
    platform::CurrentPrompt().Message("The new version was downloaded to " + localPath +
                                      ", but its installer could not be started: " + error);
}

}  // namespace transfer
