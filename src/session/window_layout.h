// The main window's remembered layout: its geometry, toolbar and tree column
// state as Qt saves them, and the catalog folders that were open. Kept as binary values
// under the program's key in the settings database, beside the settings, so
// a second start on the same database looks like the first one ended.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace session {

struct WindowLayout {
    std::string geometry;     // QWidget::saveGeometry bytes
    std::string windowState;  // QMainWindow::saveState bytes
    // Open folders, each as its names from the root down.
    std::vector<std::vector<std::string>> expanded;
    std::string columns;     // QHeaderView::saveState bytes of the tree
    bool namesOnly = false;  // the tree shows no columns beside the names

    bool operator==(const WindowLayout&) const = default;

    // Subkey and value names in the settings database.
    static constexpr const char* kSubkey = "Window";
    static constexpr const char* kGeometry = "geometry";
    static constexpr const char* kWindowState = "state";
    static constexpr const char* kExpanded = "expanded folders";
    static constexpr const char* kColumns = "tree columns";
    static constexpr const char* kNamesOnly = "names only";
    // Bounds on what is read back, so a damaged or hostile value costs little.
    static constexpr std::uint32_t kMaxValueBytes = 64 * 1024;
    static constexpr std::size_t kMaxExpanded = 500;

    // The stored layout; empty parts for anything missing or unreadable (a
    // first start, an older database).
    static WindowLayout Load();
    // False when the database could not take it; the layout is a comfort,
    // so the caller goes on.
    bool Save() const;
};

}  // namespace session
