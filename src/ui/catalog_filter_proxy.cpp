// The row test and the tool tip, both the finder's.
#include "ui/catalog_filter_proxy.h"

#include "ui/tree_finder.h"

namespace ui {

CatalogFilterProxy::CatalogFilterProxy(QObject* parent) : QSortFilterProxyModel(parent) {
    // The finder keeps the folders on the way to a match itself; Qt's own
    // recursive test would walk every hidden subtree on every change.
    setRecursiveFilteringEnabled(false);
}

bool CatalogFilterProxy::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    return !finder_ || finder_->AcceptsRow(sourceRow, sourceParent);
}

QVariant CatalogFilterProxy::data(const QModelIndex& index, int role) const {
    if (role == Qt::ToolTipRole && finder_ && finder_->Active() && index.column() == 0) {
        QString tip = finder_->UnloadedTip(mapToSource(index));
        if (!tip.isEmpty()) return tip;
    }
    return QSortFilterProxyModel::data(index, role);
}

}  // namespace ui
