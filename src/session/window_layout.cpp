#include "session/window_layout.h"

#include <utility>

#include "session/settings_store.h"
#include "store/registry_errors.h"
#include "store/registry_value.h"

namespace session {
namespace {

constexpr std::uint32_t kBinary = 3;
// Separates names within a path and paths within the list; neither can
// occur in a name read from a data file's one-line fields.
constexpr char kNameSeparator = '\x1f';
constexpr char kPathSeparator = '\x1e';

std::string ReadBytes(const char* name) {
    std::string data(WindowLayout::kMaxValueBytes, '\0');
    std::uint32_t count = WindowLayout::kMaxValueBytes;
    std::uint32_t type = 0;
    try {
        store::RegistryValue(WindowLayout::kSubkey, name).Read(data.data(), count, type);
    } catch (const store::CRegistryError&) {
        return {};
    }
    if (type != kBinary) return {};
    data.resize(count);
    return data;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find(separator, start);
        if (end == std::string::npos) end = text.size();
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

}  // namespace

WindowLayout WindowLayout::Load() {
    SettingsStore::SelectApplicationKey();
    WindowLayout layout;
    layout.geometry = ReadBytes(kGeometry);
    layout.windowState = ReadBytes(kWindowState);
    layout.columns = ReadBytes(kColumns);
    layout.namesOnly = ReadBytes(kNamesOnly) == "1";
    const std::string expanded = ReadBytes(kExpanded);
    if (!expanded.empty()) {
        for (const std::string& path : Split(expanded, kPathSeparator)) {
            if (layout.expanded.size() == kMaxExpanded) break;
            if (!path.empty()) layout.expanded.push_back(Split(path, kNameSeparator));
        }
    }
    return layout;
}

bool WindowLayout::Save() const {
    std::string list;
    size_t count = 0;
    for (const auto& path : expanded) {
        if (count == kMaxExpanded) break;
        std::string joined;
        for (const std::string& name : path) {
            if (!joined.empty()) joined += kNameSeparator;
            joined += name;
        }
        if (joined.empty() || list.size() + joined.size() + 1 > kMaxValueBytes) continue;
        if (!list.empty()) list += kPathSeparator;
        list += joined;
        ++count;
    }
    const std::string namesOnlyFlag = namesOnly ? "1" : "0";
    SettingsStore::SelectApplicationKey();
    try {
        using Value = std::pair<const char*, const std::string*>;
        for (auto [name, bytes] : {Value{kGeometry, &geometry}, Value{kWindowState, &windowState},
                                   Value{kExpanded, &list}, Value{kColumns, &columns},
                                   Value{kNamesOnly, &namesOnlyFlag}}) {
            if (bytes->size() > kMaxValueBytes) continue;
            store::RegistryValue(kSubkey, name)
                .Write(bytes->data(), static_cast<std::uint32_t>(bytes->size()), kBinary);
        }
    } catch (const store::CRegistryError&) {
        return false;
    }
    return true;
}

}  // namespace session
