#include "platform/paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/launcher.h"

namespace platform {
namespace {

std::string EnvOr(const char* name, const std::string& fallback) {
    const char* v = std::getenv(name);
    return (v && *v) ? std::string(v) : fallback;
}

std::string Ensured(const std::string& dir) {
    MakeDirectories(dir);
    return dir;
}

}  // namespace

std::string XdgDirectory(const char* variable, const char* homeSuffix) {
    const char* home = std::getenv("HOME");
    return EnvOr(variable, std::string(home && *home ? home : "/tmp") + homeSuffix);
}

std::string DefaultDownloadDirectory() {
    const char* home = std::getenv("HOME");
    const std::string homeDir = home && *home ? home : "/tmp";
    std::string folder;
    // xdg-user-dir answers $HOME for a folder the user never set, which would
    // scatter downloads over the home directory: that answer counts as none.
    if (auto out = ProgramOutput({"xdg-user-dir", "DOWNLOAD"}, 4096, 2000)) {
        std::string line = out->substr(0, out->find('\n'));
        while (line.size() > 1 && line.back() == '/') line.pop_back();
        std::string h = homeDir;
        while (h.size() > 1 && h.back() == '/') h.pop_back();
        if (line.starts_with('/') && line != h) folder = line;
    }
    if (folder.empty()) folder = XdgDirectory("XDG_DOWNLOAD_DIR", "/Downloads");
    return JoinPath(folder, "Internet Ambit");
}

std::string JoinPath(const std::string& dir, const std::string& name) {
    if (dir.empty()) return name;
    if (name.empty()) return dir;
    bool dirSlash = dir.back() == '/';
    bool nameSlash = name.front() == '/';
    if (dirSlash && nameSlash) return dir + name.substr(1);
    if (dirSlash || nameSlash) return dir + name;
    return dir + "/" + name;
}

bool MakeDirectories(const std::string& path) {
    if (path.empty()) return false;
    std::string partial;
    size_t pos = 0;
    while (pos != std::string::npos) {
        pos = path.find('/', pos + 1);
        partial = path.substr(0, pos);
        if (partial.empty()) continue;
        if (::mkdir(partial.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
    return IsDirectory(path);
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool IsDirectory(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string DataDirectory() {
    return Ensured(EnvOr("AMBIT_DATA_DIR",
                         XdgDirectory("XDG_DATA_HOME", "/.local/share") + "/internet-ambit/data"));
}

std::string WindowsDirectory() {
    return Ensured(
        EnvOr("AMBIT_WINDIR", XdgDirectory("XDG_DATA_HOME", "/.local/share") + "/internet-ambit"));
}

std::string SystemDirectory() { return Ensured(WindowsDirectory() + "/system"); }

std::string TempDirectory() { return Ensured(WindowsDirectory() + "/temp"); }

std::string ExecutableDirectory() {
    char buf[4096];
    ssize_t n = ::readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "";
    std::string exe(buf, static_cast<size_t>(n));
    auto slash = exe.rfind('/');
    return slash == std::string::npos ? "" : exe.substr(0, slash);
}

}  // namespace platform
