#include "ui/catalog_sort_proxy.h"

#include "ui/catalog_model.h"

namespace ui {

CatalogSortProxy::CatalogSortProxy(QObject* parent) : QSortFilterProxyModel(parent) {
    setSortRole(CatalogModel::kSortRole);
    setSortCaseSensitivity(Qt::CaseInsensitive);
    // Items added while sorted (a listing, an edit) take their sorted place.
    setDynamicSortFilter(true);
}

void CatalogSortProxy::ShowCatalogOrder() { sort(-1); }

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
