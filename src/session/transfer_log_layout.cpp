#include "session/transfer_log_layout.h"

#include <cstdlib>
#include <string>

#include "session/settings_store.h"
#include "store/registry_errors.h"
#include "store/registry_string.h"

namespace session {
namespace {

constexpr const char* kSubkey = "transfer log";
constexpr const char* kWidths = "column widths";
constexpr const char* kSortColumn = "sort column";
// Wider than any screen: a stored value past it is damage.
constexpr long kMaxWidth = 10000;

}  // namespace

TransferLogLayout TransferLogLayout::Load() {
    TransferLogLayout layout;
    try {
        SettingsStore::SelectApplicationKey();
        std::string widths = store::RegistryString(kSubkey, kWidths, "").Get();
        std::string sort = store::RegistryString(kSubkey, kSortColumn, "-1").Get();
        const char* p = widths.c_str();
        while (*p) {
            char* end = nullptr;
            long w = std::strtol(p, &end, 10);
            if (end == p) break;
            layout.widths.push_back(w > 0 && w <= kMaxWidth ? static_cast<int>(w) : 0);
            p = *end == ',' ? end + 1 : end;
        }
        long column = std::strtol(sort.c_str(), nullptr, 10);
        layout.sortColumn = column >= 0 && column < 64 ? static_cast<int>(column) : -1;
    } catch (const store::CRegistryError&) {
        return TransferLogLayout{};
    }
    return layout;
}

void TransferLogLayout::Save() const {
    std::string widthsText;
    for (int w : widths) widthsText += (widthsText.empty() ? "" : ",") + std::to_string(w);
    try {
        SettingsStore::SelectApplicationKey();
        store::RegistryString(kSubkey, kWidths, "").Set(widthsText);
        store::RegistryString(kSubkey, kSortColumn, "-1").Set(std::to_string(sortColumn));
    } catch (const store::CRegistryError&) {
    }
}

}  // namespace session
