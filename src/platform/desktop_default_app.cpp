#include "platform/desktop_default_app.h"

#include <fnmatch.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "platform/command_words.h"
#include "platform/launcher.h"
#include "platform/paths.h"

namespace platform {
namespace {

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

std::vector<std::string> SplitList(const std::string& text, char sep) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(sep, start);
        if (end == std::string::npos) end = text.size();
        if (end > start) out.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return out;
}

std::string ConfigHome() { return XdgDirectory("XDG_CONFIG_HOME", "/.config"); }
std::vector<std::string> ConfigDirs() {
    std::string v = Env("XDG_CONFIG_DIRS");
    return SplitList(v.empty() ? "/etc/xdg" : v, ':');
}
// Data directories in priority order, the user's own first.
std::vector<std::string> DataDirs() {
    std::string v = Env("XDG_DATA_DIRS");
    std::vector<std::string> dirs{XdgDirectory("XDG_DATA_HOME", "/.local/share")};
    for (auto& d : SplitList(v.empty() ? "/usr/local/share:/usr/share" : v, ':')) dirs.push_back(d);
    return dirs;
}

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

std::string Trim(const std::string& s) {
    size_t b = s.find_first_not_of(" \t\r");
    if (b == std::string::npos) return "";
    size_t e = s.find_last_not_of(" \t\r");
    return s.substr(b, e - b + 1);
}

// The key=value lines of one [group] of an ini-style file, in order.
std::vector<std::pair<std::string, std::string>> ReadGroup(const std::string& path,
                                                           const std::string& group) {
    std::vector<std::pair<std::string, std::string>> out;
    std::ifstream in(path);
    std::string line;
    bool inGroup = false;
    while (std::getline(in, line)) {
        line = Trim(line);
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[') {
            inGroup = line == "[" + group + "]";
            continue;
        }
        if (!inGroup) continue;
        size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        out.emplace_back(Trim(line.substr(0, eq)), Trim(line.substr(eq + 1)));
    }
    return out;
}

// Where a desktop file id lives: "applications/<id>" under a data
// directory, where a '-' of the id may also stand for a subdirectory.
std::string FindDesktopFile(const std::string& id) {
    if (id.empty() || id.find('/') != std::string::npos || id.find("..") != std::string::npos)
        return "";
    std::vector<std::string> names{id};
    for (size_t dash = id.find('-'); dash != std::string::npos; dash = id.find('-', dash + 1)) {
        std::string n = id;
        n[dash] = '/';
        names.push_back(n);
    }
    for (const auto& dir : DataDirs()) {
        for (const auto& n : names) {
            std::string path = dir + "/applications/" + n;
            if (std::ifstream(path).good()) return path;
        }
    }
    return "";
}

// Undoes the Exec line's quoting and drops the field codes, giving the
// program and its fixed arguments.
std::vector<std::string> ExecWords(const std::string& exec) {
    // String-level escapes come first, then the argument quoting.
    std::string unescaped;
    for (size_t i = 0; i < exec.size(); ++i) {
        if (exec[i] == '\\' && i + 1 < exec.size()) {
            char n = exec[i + 1];
            if (n == 's' || n == 'n' || n == 't' || n == 'r' || n == '\\') {
                unescaped += n == 's'   ? ' '
                             : n == 'n' ? '\n'
                             : n == 't' ? '\t'
                             : n == 'r' ? '\r'
                                        : '\\';
                ++i;
                continue;
            }
        }
        unescaped += exec[i];
    }
    std::vector<std::string> words;
    for (const auto& raw : SplitCommandWords(unescaped)) {
        static const std::string kCodes = "fFuUdDnNickvm";
        if (raw.size() == 2 && raw[0] == '%' && kCodes.find(raw[1]) != std::string::npos) continue;
        std::string w;
        for (size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] != '%') {
                w += raw[i];
            } else if (i + 1 < raw.size()) {
                if (raw[i + 1] == '%') w += '%';
                ++i;  // any other field code inside a word is dropped
            }
        }
        if (!w.empty()) words.push_back(w);
    }
    return words;
}

std::vector<std::string> MimeAppsLists() {
    std::vector<std::string> prefixes;
    for (const auto& d : SplitList(Lower(Env("XDG_CURRENT_DESKTOP")), ':'))
        prefixes.push_back(d + "-");
    prefixes.push_back("");
    std::vector<std::string> dirs{ConfigHome()};
    for (auto& d : ConfigDirs()) dirs.push_back(d);
    for (auto& d : DataDirs()) dirs.push_back(d + "/applications");
    std::vector<std::string> files;
    for (const auto& dir : dirs)
        for (const auto& p : prefixes) files.push_back(dir + "/" + p + "mimeapps.list");
    return files;
}

// The first usable application listed for the type in the given group of
// the given files, in the files' order.
std::string FirstUsable(const std::vector<std::string>& files, const std::string& group,
                        const std::string& type) {
    for (const auto& file : files) {
        for (const auto& [key, value] : ReadGroup(file, group)) {
            if (key != type) continue;
            for (const auto& id : SplitList(value, ';'))
                if (!ApplicationCommand(id).empty()) return id;
        }
    }
    return "";
}

}  // namespace

std::string MimeTypeForFileName(const std::string& fileName) {
    std::string name =
        fileName.substr(fileName.rfind('/') == std::string::npos ? 0 : fileName.rfind('/') + 1);
    if (name.empty()) return "";
    std::string lowerName = Lower(name);
    std::string best;
    int bestWeight = -1;
    size_t bestLength = 0;
    for (const auto& dir : DataDirs()) {
        std::ifstream in(dir + "/mime/globs2");
        std::string line;
        while (std::getline(in, line)) {
            if (line.empty() || line[0] == '#') continue;
            auto fields = SplitList(line, ':');
            if (fields.size() < 3) continue;
            int weight = std::atoi(fields[0].c_str());
            const std::string& type = fields[1];
            const std::string& pattern = fields[2];
            bool caseSensitive = fields.size() > 3 && fields[3].find("cs") != std::string::npos;
            const std::string& subject = caseSensitive ? name : lowerName;
            std::string pat = caseSensitive ? pattern : Lower(pattern);
            if (::fnmatch(pat.c_str(), subject.c_str(), 0) != 0) continue;
            if (weight > bestWeight || (weight == bestWeight && pattern.size() > bestLength)) {
                best = type;
                bestWeight = weight;
                bestLength = pattern.size();
            }
        }
        // The user's and the first system database decide; later
        // directories only fill in when nothing matched at all.
        if (!best.empty()) break;
    }
    return best;
}

std::string DefaultApplicationFor(const std::string& mimeType) {
    if (mimeType.empty()) return "";
    auto lists = MimeAppsLists();
    std::string id = FirstUsable(lists, "Default Applications", mimeType);
    if (id.empty()) id = FirstUsable(lists, "Added Associations", mimeType);
    if (id.empty()) {
        std::vector<std::string> caches;
        for (const auto& d : DataDirs()) caches.push_back(d + "/applications/mimeinfo.cache");
        id = FirstUsable(caches, "MIME Cache", mimeType);
    }
    return id;
}

std::string ApplicationCommand(const std::string& desktopId) {
    std::string path = FindDesktopFile(desktopId);
    if (path.empty()) return "";
    std::string exec;
    for (const auto& [key, value] : ReadGroup(path, "Desktop Entry")) {
        if (key == "Hidden" && value == "true") return "";
        // A terminal program started without a terminal shows nothing.
        if (key == "Terminal" && value == "true") return "";
        if (key == "Exec") exec = value;
    }
    return JoinCommandWords(ExecWords(exec));
}

std::string DefaultOpenCommand(const std::string& filePath) {
    std::string id = DefaultApplicationFor(MimeTypeForFileName(filePath));
    return id.empty() ? "" : ApplicationCommand(id);
}

std::string PlainTextEditor() {
    for (const char* editor : {"gnome-text-editor", "gedit", "kwrite", "kate", "mousepad", "pluma",
                               "xed", "featherpad", "leafpad"}) {
        if (!FindProgram(editor).empty()) return editor;
    }
    return "xdg-open";
}

}  // namespace platform
