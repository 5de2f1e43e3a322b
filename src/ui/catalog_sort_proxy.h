// The sorted look of the catalog tree. Sorting happens here, between the
// catalog model and the view, so a header click reorders what the user
// sees within each folder while the tree keeps the order the catalog
// stores and saves. Sorting by no column shows the catalog's own order.
// While a find is on, only the rows its finder keeps show here, and a
// folder whose unloaded files hold matches says how many in its tool tip.
#pragma once

#include <QSortFilterProxyModel>

namespace ui {

class TreeFinder;

class CatalogSortProxy : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit CatalogSortProxy(QObject* parent = nullptr);

    // Back to the order the catalog keeps.
    void ShowCatalogOrder();
    bool InCatalogOrder() const { return sortColumn() < 0; }

    // Not owned; null for none: every row shows.
    void SetFinder(const TreeFinder* finder) { finder_ = finder; }

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    const TreeFinder* finder_ = nullptr;
};

}  // namespace ui
