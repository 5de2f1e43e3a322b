#include "transfer/post_transfer_action.h"

#include <vector>

#include "platform/command_words.h"
#include "platform/desktop_default_app.h"
#include "platform/launcher.h"
#include "platform/prompt.h"
#include "platform/zip_extract.h"

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

std::string PostTransferAction::DirectoryOf(const std::string& localPath) {
    size_t slash = localPath.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return localPath.substr(0, slash);
}

namespace {

// Nothing waits for the started program, but a program the user chose that
// could not be started at all (a mistyped Open With program, no text editor)
// would otherwise leave them with no sign of anything.
void StartOrTell(const std::vector<std::string>& argv) {
    std::string error;
    if (!platform::CurrentLauncher().Start(argv, &error))
        platform::CurrentPrompt().Warning(platform::StartFailureText(argv, error));
}

}  // namespace

void PostTransferAction::Run(int code, const std::string& localPath, const std::string& openWith) {
    switch (code) {
        case kActionExecute:
            // Every plain download ends here by default, and most received
            // files are not programs: as before, a file that cannot run is
            // quietly left alone.
            platform::CurrentLauncher().Start({localPath});
            break;
        case kActionUnzip: {
            std::string dir = DirectoryOf(localPath);
            platform::ZipExtractResult r = platform::ExtractZip(localPath, dir);
            if (!r.Complete()) {
                std::string text = "Not everything in " + localPath + " could be unzipped";
                size_t missed = r.skipped.size() + r.failed.size();
                if (missed > 0)
                    text += " (" + std::to_string(missed) + (missed == 1 ? " entry" : " entries") +
                            " left out)";
                text += ": " + r.error;
                platform::CurrentPrompt().Message(text);
            }
            StartOrTell({"xdg-open", dir});
            break;
        }
        case kActionOpenAsText:
            StartOrTell({platform::PlainTextEditor(), localPath});
            break;
        case kActionOpenWith: {
            std::vector<std::string> argv = platform::SplitCommandWords(openWith);
            if (argv.empty()) break;
            argv.push_back(localPath);
            StartOrTell(argv);
            break;
        }
        default:
            break;  // Download Only
    }
}

}  // namespace transfer
