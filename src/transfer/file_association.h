// The "Open With" suggestion skiff offers for a received file. The settings
// store may hold associations the old way (the extension's key names a file
// type, whose "shell\open\command" names a program); when it holds none, the
// desktop's own default program for the file's type is suggested instead, so
// that the suggestion is useful on a Linux desktop.
#pragma once

#include <string>

namespace transfer {

class FileAssociation {
public:
    // The extension of a local path: the text from its last '.' on, dot
    // included; "" when the path has no '.'.
    static std::string ExtensionOf(const std::string& localPath);

    // An association command cut down to its program: before the first '"'
    // when it has one, else before the first '%' when it has one, else whole.
    // ("/usr/bin/viewer %1" gives "/usr/bin/viewer " with its blank.)
    static std::string CutCommand(const std::string& command);

    // The settings store's suggestion for an extension, "" when the store
    // has no entries for it (or cannot be read).
    static std::string FromRegistry(const std::string& extension);

    // The suggestion for a local path: the store's, else the desktop's
    // default program, else "".
    static std::string Suggestion(const std::string& localPath);
};

}  // namespace transfer
