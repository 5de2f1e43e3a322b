// The Qt item model over the catalog tree. The tree stays the single source
// of truth; this adapter stores TreeItem pointers in its indexes and turns
// the tree's change notifications into the model's begin/end calls, so a
// view of 100,000 items costs no copy of them. Folders whose contents file
// is not read yet offer children; a view's request for them is queued to a
// handler, as views ask while painting, where no question may be shown.
#pragma once

#include <QAbstractItemModel>
#include <QIcon>
#include <QList>
#include <QMap>
#include <QPersistentModelIndex>
#include <functional>

#include "catalog/c_entry.h"
#include "catalog/catalog_tree_observer.h"

namespace catalog {
class CatalogTree;
class TreeItem;
}  // namespace catalog

namespace ui {

class CatalogModel : public QAbstractItemModel, public catalog::CatalogTreeObserver {
    Q_OBJECT
public:
    enum Column { kNameColumn, kSizeColumn, kDateColumn, kPriceColumn, kHostColumn, kColumnCount };
    enum Role {
        // A column's value for sorting: a number where the column holds one.
        kSortRole = Qt::UserRole + 1,
        // Whether the row is a folder, site, site directory or map file.
        kHoldsItemsRole,
    };

    // Registers itself as the tree's observer until destroyed.
    explicit CatalogModel(catalog::CatalogTree& tree, QObject* parent = nullptr);
    ~CatalogModel() override;

    catalog::TreeItem* ItemAt(const QModelIndex& index) const;
    QModelIndex IndexOf(const catalog::TreeItem* item) const;

    QModelIndex index(int row, int column,
                      const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    bool hasChildren(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // A catalog folder whose contents file was never read: it may hold items
    // nobody has seen yet.
    static bool AwaitsContents(const catalog::TreeItem* item);
    // Views ask for such a folder's children from inside painting and
    // layout; the requests are gathered and handed to the handler once
    // control is back in the event loop. Without a handler nothing loads.
    using LoadHandler = std::function<void(catalog::TreeItem* folder)>;
    void SetLoadHandler(LoadHandler handler) { loadHandler_ = std::move(handler); }
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

    // Drag and drop inside the tree. A drag carries where the item sits
    // (its rows from the top), never a pointer, so a drop of an item that
    // went away meanwhile finds nothing. What a drop does is the handler's
    // business; without one every drop is refused.
    using DropHandler = std::function<bool(catalog::TreeItem* dragged, catalog::TreeItem* target)>;
    void SetDropHandler(DropHandler handler) { dropHandler_ = std::move(handler); }
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override;
    Qt::DropActions supportedDropActions() const override;
    bool canDropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                         const QModelIndex& parent) const override;
    bool dropMimeData(const QMimeData* data, Qt::DropAction action, int row, int column,
                      const QModelIndex& parent) override;

    // CatalogTreeObserver
    void ItemsAboutToBeInserted(catalog::TreeItem* parent, int first, int last) override;
    void ItemsInserted(catalog::TreeItem* parent, int first, int last) override;
    void ItemsAboutToBeRemoved(catalog::TreeItem* parent, int first, int last) override;
    void ItemsRemoved(catalog::TreeItem* parent, int first, int last) override;
    void ItemAboutToBeMoved(catalog::TreeItem* sourceParent, int row,
                            catalog::TreeItem* destinationParent, int destinationRow) override;
    void ItemMoved() override;
    void ItemChanged(catalog::TreeItem* item) override;
    void TreeAboutToBeReset() override;
    void TreeReset() override;

private:
    // The icon shows the item's image normally and its selected image when
    // the row is selected, as the tree's two image indexes intend.
    QIcon IconFor(int image, int selectedImage, catalog::EntryKind kind, bool priced) const;
    QVariant ColumnData(const catalog::TreeItem& item, int column, int role) const;
    void LoadRequested();
    // The dragged item and the drop target a drop names, when the data
    // came from this model; false otherwise.
    bool DropItems(const QMimeData* data, Qt::DropAction action, const QModelIndex& parent,
                   catalog::TreeItem** dragged, catalog::TreeItem** target) const;

    catalog::CatalogTree& tree_;
    std::vector<QIcon> images_;
    mutable QMap<int, QIcon> icons_;
    mutable QIcon pricedIcon_;
    bool moving_ = false;
    DropHandler dropHandler_;
    LoadHandler loadHandler_;
    QList<QPersistentModelIndex> loadRequests_;
};

}  // namespace ui
