// What the tree view shows of the catalog model while a find is on: the
// rows the tree finder keeps, and for a folder whose unloaded files hold
// matches a tool tip saying how many. Without a finder, or with no search
// on, every row shows.
#pragma once

#include <QSortFilterProxyModel>

namespace ui {

class TreeFinder;

class CatalogFilterProxy : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit CatalogFilterProxy(QObject* parent = nullptr);

    // Not owned; null for none.
    void SetFinder(const TreeFinder* finder) { finder_ = finder; }

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    const TreeFinder* finder_ = nullptr;
};

}  // namespace ui
