// What both programs can do with a received file: start it, unpack it next
// to itself and show the folder, open it in the plain text editor, or open
// it with a program the user named. skiff runs one of them when a download
// ends; ambit's Transfer Log runs them again on request. Programs are
// started from argument vectors through the launcher, never through a
// shell, and nothing waits for them.
#pragma once

#include <string>

namespace platform {

class FileActions {
public:
    // The directory part of a local path, without its final '/' ("/" for a
    // file at the root, "." for a bare name).
    static std::string DirectoryOf(const std::string& localPath);

    // Starts the file itself. False, with the reason in *error, when it
    // could not be started (for instance because it is not executable).
    static bool Execute(const std::string& path, std::string* error = nullptr);

    // Extracts the archive into its own directory, then opens that folder.
    // An archive that could not be extracted completely (damaged, unsafe
    // entries, full disk) is reported through the prompt first.
    static void UnzipAndShow(const std::string& path);

    // The plain text editor with the file; the program named by the command
    // text (split into words) with the file appended. Failures to start are
    // reported through the prompt, since the user chose the program.
    static void OpenAsText(const std::string& path);
    static void OpenWith(const std::string& command, const std::string& path);
};

}  // namespace platform
