// What skiff does with a received file: the user's choice from
// WhatToDoDialog (or Execute when nobody was asked). Every program is started
// through the platform launcher from an argument vector, never through a
// shell, so quotes or ';' in a file name or an "Open With" text are only ever
// text. Nothing waits for a started program.
#pragma once

#include <string>

namespace transfer {

enum ActionCode : int {
    kActionExecute = 1000,
    kActionDownloadOnly = 1001,
    kActionUnzip = 1002,
    kActionOpenAsText = 1003,
    kActionOpenWith = 1004,
};

class PostTransferAction {
public:
    // The name the download log records for an action: "Exec", "None",
    // "UnZip", "View", "OpenW"; "None" for anything else.
    static std::string LogName(int code);

    // Runs the action on the local file:
    //   Execute       the file itself
    //   Download Only nothing
    //   Unzip         extract into the file's directory, then open that folder
    //   Open as Text  the plain text editor with the file
    //   Open With     the words of openWith with the file appended
    // A program that cannot be started fails silently, as the user sees it
    // simply not appear; an archive that could not be extracted completely
    // (damaged, unsafe entries, full disk) is reported through the prompt
    // before the folder opens.
    static void Run(int code, const std::string& localPath, const std::string& openWith);

    // Execute for a new version the user agreed to install: a download
    // arrives without execute permission, so the owner's is added first,
    // and a failure to start is reported, since the main program has
    // already quit and nothing else would tell the user.
    static void RunInstaller(const std::string& localPath);
};

}  // namespace transfer
