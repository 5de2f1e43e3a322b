#include "ui/catalog_model.h"

#include "catalog/catalog_tree.h"
#include "catalog/tree_item.h"
#include "ui/tool_images.h"

namespace ui {

using catalog::TreeItem;

CatalogModel::CatalogModel(catalog::CatalogTree& tree, QObject* parent)
    : QAbstractItemModel(parent), tree_(tree) {
    for (int i = 0; i < catalog::kImageCount; ++i) images_.push_back(TreeIcon(i));
    tree_.SetObserver(this);
}

CatalogModel::~CatalogModel() { tree_.SetObserver(nullptr); }

TreeItem* CatalogModel::ItemAt(const QModelIndex& index) const {
    if (!index.isValid()) return nullptr;
    return static_cast<TreeItem*>(index.internalPointer());
}

QModelIndex CatalogModel::IndexOf(const TreeItem* item) const {
    if (!item || item == tree_.Top() || !item->Parent()) return QModelIndex();
    return createIndex(item->Row(), 0, const_cast<TreeItem*>(item));
}

QModelIndex CatalogModel::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0) return QModelIndex();
    const TreeItem* p = parent.isValid() ? ItemAt(parent) : tree_.Top();
    if (row >= p->ChildCount()) return QModelIndex();
    return createIndex(row, 0, p->Child(row));
}

QModelIndex CatalogModel::parent(const QModelIndex& child) const {
    TreeItem* item = ItemAt(child);
    if (!item) return QModelIndex();
    return IndexOf(item->Parent());
}

int CatalogModel::rowCount(const QModelIndex& parent) const {
    if (parent.column() > 0) return 0;
    const TreeItem* p = parent.isValid() ? ItemAt(parent) : tree_.Top();
    return p->ChildCount();
}

int CatalogModel::columnCount(const QModelIndex&) const { return 1; }

bool CatalogModel::hasChildren(const QModelIndex& parent) const { return rowCount(parent) > 0; }

QVariant CatalogModel::data(const QModelIndex& index, int role) const {
    const TreeItem* item = ItemAt(index);
    if (!item) return QVariant();
    switch (role) {
        case Qt::DisplayRole:
            return QString::fromStdString(item->Text());
        case Qt::DecorationRole:
            return IconFor(item->Image(), item->SelectedImage(),
                           item->HasEntry() ? item->Entry()->Kind() : catalog::EntryKind::Folder);
        case Qt::ToolTipRole: {
            const catalog::CEntry* e = item->Entry();
            if (!e || e->IsFolder() || e->Description.empty() || e->Description == catalog::kNone ||
                e->IsFtpSite() || e->IsMapFile())
                return QVariant();
            return QString::fromStdString(e->Description);
        }
        default:
            return QVariant();
    }
}

Qt::ItemFlags CatalogModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

QIcon CatalogModel::IconFor(int image, int selectedImage, catalog::EntryKind kind) const {
    auto valid = [this](int i) { return i >= 0 && i < static_cast<int>(images_.size()); };
    if (!valid(image)) return QIcon();
    auto isFolderImage = [](int i) {
        return i == catalog::kImageFolderClosed || i == catalog::kImageFolderOpen;
    };
    // Sites, site directories and map files keep the folder images' roles
    // (closed, open) but show pictures of their own.
    const bool ownPicture =
        isFolderImage(image) && isFolderImage(selectedImage) &&
        (kind == catalog::EntryKind::FtpSite || kind == catalog::EntryKind::FtpDir ||
         kind == catalog::EntryKind::MapFile);
    if (!ownPicture && (!valid(selectedImage) || selectedImage == image))
        return images_[static_cast<size_t>(image)];
    const int key =
        (ownPicture ? 1024 + static_cast<int>(kind) * 256 : 0) + image * 16 + selectedImage;
    auto it = icons_.find(key);
    if (it != icons_.end()) return *it;
    const QIcon normal = ownPicture ? KindIcon(kind, image == catalog::kImageFolderOpen)
                                    : images_[static_cast<size_t>(image)];
    const QIcon selected = ownPicture ? KindIcon(kind, selectedImage == catalog::kImageFolderOpen)
                                      : images_[static_cast<size_t>(selectedImage)];
    QIcon icon;
    for (int size : {16, 24, 32, 48}) {
        icon.addPixmap(normal.pixmap(size), QIcon::Normal);
        icon.addPixmap(selected.pixmap(size), QIcon::Selected);
    }
    icons_.insert(key, icon);
    return icon;
}

void CatalogModel::ItemsAboutToBeInserted(TreeItem* parent, int first, int last) {
    beginInsertRows(IndexOf(parent), first, last);
}

void CatalogModel::ItemsInserted(TreeItem*, int, int) { endInsertRows(); }

void CatalogModel::ItemsAboutToBeRemoved(TreeItem* parent, int first, int last) {
    beginRemoveRows(IndexOf(parent), first, last);
}

void CatalogModel::ItemsRemoved(TreeItem*, int, int) { endRemoveRows(); }

void CatalogModel::ItemAboutToBeMoved(TreeItem* sourceParent, int row, TreeItem* destinationParent,
                                      int destinationRow) {
    // Qt refuses a move onto the row's own place; the tree then changes
    // nothing visible, so there is nothing to end either.
    moving_ =
        beginMoveRows(IndexOf(sourceParent), row, row, IndexOf(destinationParent), destinationRow);
}

void CatalogModel::ItemMoved() {
    if (moving_) endMoveRows();
    moving_ = false;
}

void CatalogModel::ItemChanged(TreeItem* item) {
    QModelIndex i = IndexOf(item);
    if (i.isValid()) emit dataChanged(i, i);
}

void CatalogModel::TreeAboutToBeReset() { beginResetModel(); }

void CatalogModel::TreeReset() { endResetModel(); }

}  // namespace ui
