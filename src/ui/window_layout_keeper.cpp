#include "ui/window_layout_keeper.h"

#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>
#include <algorithm>
#include <functional>

#include "catalog/c_entry.h"
#include "catalog/tree_item.h"
#include "session/window_layout.h"
#include "ui/client_view.h"

namespace ui {
namespace {

QByteArray Bytes(const std::string& s) {
    return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

std::string String(const QByteArray& b) {
    return std::string(b.constData(), static_cast<size_t>(b.size()));
}

// Only catalog folders are remembered: reopening a site directory would go
// to the network at start-up.
bool IsRememberedFolder(const catalog::TreeItem* item) {
    return !item->HasEntry() || item->Entry()->IsFolder();
}

}  // namespace

QSize WindowLayoutKeeper::FirstSize(const QSize& available) {
    // Room for the frame's decorations and the desktop's panels.
    return QSize(std::min(960, available.width() * 85 / 100),
                 std::min(680, available.height() * 80 / 100));
}

void WindowLayoutKeeper::RestoreWindow(QMainWindow& window) {
    const session::WindowLayout layout = session::WindowLayout::Load();
    bool placed = !layout.geometry.empty() && window.restoreGeometry(Bytes(layout.geometry));
    if (!layout.windowState.empty()) window.restoreState(Bytes(layout.windowState));
    if (placed) return;
    QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    window.resize(FirstSize(area.size()));
    window.move(area.center() - QPoint(window.width() / 2, window.height() / 2));
}

void WindowLayoutKeeper::RestoreColumns(CClientView& view) {
    const session::WindowLayout layout = session::WindowLayout::Load();
    view.RestoreColumnState(Bytes(layout.columns));
    view.ShowColumns(!layout.namesOnly);
}

void WindowLayoutKeeper::RestoreOpenFolders(CClientView& view) {
    const QAbstractItemModel* model = view.model();
    for (const auto& path : session::WindowLayout::Load().expanded) {
        std::vector<QModelIndex> chain;
        QModelIndex parent;
        for (const std::string& name : path) {
            QModelIndex next;
            const int rows = model->rowCount(parent);
            for (int row = 0; row < rows && !next.isValid(); ++row) {
                const QModelIndex index = model->index(row, 0, parent);
                const catalog::TreeItem* item = view.ItemAt(index);
                if (item && item->Text() == name && IsRememberedFolder(item) && item->HasChildren())
                    next = index;
            }
            if (!next.isValid()) break;
            chain.push_back(next);
            parent = next;
        }
        if (chain.size() != path.size()) continue;
        for (const QModelIndex& index : chain) view.expand(index);
    }
}

void WindowLayoutKeeper::Save(const QMainWindow& window, const CClientView& view) {
    session::WindowLayout layout;
    layout.geometry = String(window.saveGeometry());
    layout.windowState = String(window.saveState());
    layout.columns = String(view.ColumnState());
    layout.namesOnly = !view.ColumnsShown();
    std::vector<std::string> names;
    std::function<void(const QModelIndex&)> walk = [&](const QModelIndex& parent) {
        const int rows = view.model()->rowCount(parent);
        for (int row = 0; row < rows; ++row) {
            if (layout.expanded.size() >= session::WindowLayout::kMaxExpanded) return;
            const QModelIndex index = view.model()->index(row, 0, parent);
            const catalog::TreeItem* item = view.ItemAt(index);
            if (!item || !view.isExpanded(index) || !IsRememberedFolder(item)) continue;
            names.push_back(item->Text());
            layout.expanded.push_back(names);
            walk(index);
            names.pop_back();
        }
    };
    walk(QModelIndex());
    layout.Save();  // a failure only loses the layout; closing goes on
}

}  // namespace ui
