#include "ui/catalog_sort_proxy.h"

#include "ui/catalog_model.h"
#include "ui/tree_finder.h"

namespace ui {

CatalogSortProxy::CatalogSortProxy(QObject* parent) : QSortFilterProxyModel(parent) {
    setSortRole(CatalogModel::kSortRole);
    setSortCaseSensitivity(Qt::CaseInsensitive);
    // Items added while sorted (a listing, an edit) take their sorted place.
    setDynamicSortFilter(true);
}

void CatalogSortProxy::ShowCatalogOrder() { sort(-1); }

bool CatalogSortProxy::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    // The finder keeps the folders on the way to a match itself; Qt's
    // recursive filtering would walk every hidden subtree instead.
    return !finder_ || finder_->AcceptsRow(sourceRow, sourceParent);
}

bool CatalogSortProxy::hasChildren(const QModelIndex& parent) const {
    // Qt's answer filters all children of every row a view shows; while a
    // find is on the finder knows it without that.
    if (finder_ && finder_->Active() && !finder_->Changing() && parent.isValid() && sourceModel()) {
        QModelIndex source = mapToSource(parent);
        if (!source.isValid() || !sourceModel()->hasChildren(source)) return false;
        if (!finder_->ShowsChildren(source)) return false;
        return true;
    }
    return QSortFilterProxyModel::hasChildren(parent);
}

QVariant CatalogSortProxy::data(const QModelIndex& index, int role) const {
    if (role == Qt::ToolTipRole && finder_ && finder_->Active() && index.column() == 0) {
        QString tip = finder_->UnloadedTip(mapToSource(index));
        if (!tip.isEmpty()) return tip;
    }
    return QSortFilterProxyModel::data(index, role);
}

bool CatalogSortProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    // Folders stay above files in either direction, as in a file manager.
    const bool leftFolder = left.data(CatalogModel::kHoldsItemsRole).toBool();
    const bool rightFolder = right.data(CatalogModel::kHoldsItemsRole).toBool();
    if (leftFolder != rightFolder) return (sortOrder() == Qt::AscendingOrder) == leftFolder;
    const QVariant a = left.data(sortRole());
    const QVariant b = right.data(sortRole());
    // A field without a value (no size, an unreadable date) goes last.
    if (!a.isValid() || !b.isValid())
        return (sortOrder() == Qt::AscendingOrder) ? a.isValid() && !b.isValid()
                                                   : !a.isValid() && b.isValid();
    if (a.typeId() == QMetaType::QString || b.typeId() == QMetaType::QString)
        return a.toString().compare(b.toString(), sortCaseSensitivity()) < 0;
    return QVariant::compare(a, b) == QPartialOrdering::Less;
}

}  // namespace ui
