// Which program the desktop opens a file with, by the freedesktop.org rules:
// the file's MIME type from the shared MIME database's glob list, the default
// application for that type from the mimeapps.list files (then the installed
// applications' mimeinfo.cache), and that application's Exec line. skiff
// offers the result as its "Open With" suggestion when the settings store
// knows no program for the file's extension.
//
// Directories follow the XDG base directory variables ($XDG_CONFIG_HOME,
// $XDG_CONFIG_DIRS, $XDG_DATA_HOME, $XDG_DATA_DIRS, and $XDG_CURRENT_DESKTOP
// for desktop-specific lists), so tests point them at a prepared tree.
#pragma once

#include <string>

namespace platform {

// The MIME type of a file name by the glob list ("text/plain" for
// "notes.txt"); "" when no pattern matches. Only the name is looked at.
std::string MimeTypeForFileName(const std::string& fileName);

// The desktop file id of the default application for a MIME type
// ("org.example.Editor.desktop"); "" when there is none.
std::string DefaultApplicationFor(const std::string& mimeType);

// The command of a desktop file's Exec line, with the field codes (%f, %U,
// ...) removed, as a command text for SplitCommandWords; "" when the desktop
// file is missing, hidden, runs in a terminal or has no Exec line.
std::string ApplicationCommand(const std::string& desktopId);

// All three in a row for a file path: the command text of the program the
// desktop would open it with, or "" when there is none. The file's path is
// not part of the result; the caller appends it as the last argument.
std::string DefaultOpenCommand(const std::string& filePath);

// The program for "open as text": the first plain text editor found on PATH
// from a short list of common ones, else "xdg-open" (the desktop's choice).
std::string PlainTextEditor();

}  // namespace platform
