// The sorted look of the catalog tree. Sorting happens here, between the
// catalog model and the view, so a header click reorders what the user
// sees within each folder while the tree keeps the order the catalog
// stores and saves. Sorting by no column shows the catalog's own order.
#pragma once

#include <QSortFilterProxyModel>

namespace ui {

class CatalogSortProxy : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit CatalogSortProxy(QObject* parent = nullptr);

    // Back to the order the catalog keeps.
    void ShowCatalogOrder();
    bool InCatalogOrder() const { return sortColumn() < 0; }

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;
};

}  // namespace ui
