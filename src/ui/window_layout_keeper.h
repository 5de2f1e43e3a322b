// Puts the main window back the way the last session left it: size and
// place, toolbar, the tree's columns, and the catalog folders that were open. A first start (or
// a layout that no longer fits any screen) gets a size that fits the
// screen it opens on, whatever the scale factor.
#pragma once

#include <QSize>

class QMainWindow;

namespace ui {

class CClientView;

class WindowLayoutKeeper {
public:
    // The first size for a screen's available area (in device-independent
    // pixels, so a scale factor of 2 halves it).
    static QSize FirstSize(const QSize& available);

    // Geometry and toolbar state, else the first size centred on the screen.
    static void RestoreWindow(QMainWindow& window);
    // The tree's columns as they were, names only if so.
    static void RestoreColumns(CClientView& view);
    // Reopens remembered folders whose contents are loaded; loads nothing.
    static void RestoreOpenFolders(CClientView& view);
    // Stores the window and its open folders; a failure only costs the layout.
    static void Save(const QMainWindow& window, const CClientView& view);
};

}  // namespace ui
