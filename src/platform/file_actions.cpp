#include "platform/file_actions.h"

#include <vector>

#include "platform/command_words.h"
#include "platform/desktop_default_app.h"
#include "platform/launcher.h"
#include "platform/prompt.h"
#include "platform/zip_extract.h"

namespace platform {
namespace {

// A program the user chose that could not be started at all (a mistyped
// Open With program, no text editor) would otherwise leave them with no
// sign of anything.
void StartOrTell(const std::vector<std::string>& argv) {
    std::string error;
    if (!CurrentLauncher().Start(argv, &error))
        CurrentPrompt().Warning(StartFailureText(argv, error));
}

}  // namespace

std::string FileActions::DirectoryOf(const std::string& localPath) {
    size_t slash = localPath.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return localPath.substr(0, slash);
}

bool FileActions::Execute(const std::string& path, std::string* error) {
    return CurrentLauncher().Start({path}, error);
}

void FileActions::UnzipAndShow(const std::string& path) {
    std::string dir = DirectoryOf(path);
    ZipExtractResult r = ExtractZip(path, dir);
    if (!r.Complete()) {
        std::string text = "Not everything in " + path + " could be unzipped";
        size_t missed = r.skipped.size() + r.failed.size();
        if (missed > 0)
            text += " (" + std::to_string(missed) + (missed == 1 ? " entry" : " entries") +
                    " left out)";
        text += ": " + r.error;
        CurrentPrompt().Message(text);
    }
    StartOrTell({"xdg-open", dir});
}

void FileActions::OpenAsText(const std::string& path) { StartOrTell({PlainTextEditor(), path}); }

void FileActions::OpenWith(const std::string& command, const std::string& path) {
    std::vector<std::string> argv = SplitCommandWords(command);
    if (argv.empty()) return;
    argv.push_back(path);
    StartOrTell(argv);
}

}  // namespace platform
