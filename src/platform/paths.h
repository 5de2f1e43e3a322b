// Where the programs keep their files: each is an absolute directory chosen
// by an environment variable or the XDG base directories, created on first
// use, so nothing depends on the process's current directory.
#pragma once

#include <string>

namespace platform {

// The catalog's home: ambit.amb, folder files, hdata.dat, hosts.dat, MapFiles.
// $AMBIT_DATA_DIR, else $XDG_DATA_HOME/internet-ambit/data.
std::string DataDirectory();

// Stands where the Windows directory stood: $AMBIT_WINDIR, else
// $XDG_DATA_HOME/internet-ambit ($XDG_DATA_HOME defaults to ~/.local/share).
std::string WindowsDirectory();

// WindowsDirectory() + "/system" (the download log lives there).
std::string SystemDirectory();

// WindowsDirectory() + "/temp".
std::string TempDirectory();

// An XDG base directory: $variable when it is set and not empty, else
// $HOME (/tmp without one) followed by homeSuffix, e.g.
// XdgDirectory("XDG_CONFIG_HOME", "/.config").
std::string XdgDirectory(const char* variable, const char* homeSuffix);

// Where downloads go unless the user chose otherwise: the user's download
// folder (`xdg-user-dir DOWNLOAD`, else $XDG_DOWNLOAD_DIR, else ~/Downloads)
// followed by "/Internet Ambit". Not created here: only a download does that.
std::string DefaultDownloadDirectory();

// Joins two path pieces with exactly one "/" between them.
std::string JoinPath(const std::string& dir, const std::string& name);

// Creates a directory and its missing parents (mode 0755). True when it exists afterwards.
bool MakeDirectories(const std::string& path);

bool FileExists(const std::string& path);
bool IsDirectory(const std::string& path);

// Directory of the running executable (from /proc/self/exe), "" if unknown.
std::string ExecutableDirectory();

}  // namespace platform
