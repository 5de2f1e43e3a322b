#include "ui/catalog_model.h"

#include <QDataStream>
#include <QIODevice>
#include <QMimeData>
#include <QTextDocument>

#include "catalog/catalog_tree.h"
#include "catalog/edit_rules.h"
#include "catalog/tree_item.h"
#include "ui/tool_images.h"

namespace ui {

using catalog::TreeItem;

namespace {

const QString kItemMimeType = QStringLiteral("application/x-internet-ambit-tree-item");

}  // namespace

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
            // A tool tip takes anything that looks like markup as rich text;
            // the description comes from a data file.
            return Qt::convertFromPlainText(QString::fromStdString(e->Description));
        }
        case kSortRole:
            return QString::fromStdString(item->Text());
        case kHoldsItemsRole:
            return !item->HasEntry() || (item->Kind() != catalog::EntryKind::Item &&
                                         item->Kind() != catalog::EntryKind::FtpFile);
        default:
            return QVariant();
    }
}

Qt::ItemFlags CatalogModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
}

QStringList CatalogModel::mimeTypes() const { return {kItemMimeType}; }

Qt::DropActions CatalogModel::supportedDragActions() const { return Qt::MoveAction; }

Qt::DropActions CatalogModel::supportedDropActions() const { return Qt::MoveAction; }

QMimeData* CatalogModel::mimeData(const QModelIndexList& indexes) const {
    const TreeItem* item = indexes.isEmpty() ? nullptr : ItemAt(indexes.first());
    if (!item) return nullptr;
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << quint64(reinterpret_cast<quintptr>(this));
    QList<qint32> rows;
    for (const TreeItem* p = item; p && p->Parent(); p = p->Parent()) rows.prepend(p->Row());
    out << qint32(rows.size());
    for (qint32 r : rows) out << r;
    auto* data = new QMimeData;
    data->setData(kItemMimeType, bytes);
    return data;
}

bool CatalogModel::DropItems(const QMimeData* data, Qt::DropAction action,
                             const QModelIndex& parent, TreeItem** dragged,
                             TreeItem** target) const {
    if (!data || action != Qt::MoveAction || !data->hasFormat(kItemMimeType)) return false;
    const QByteArray bytes = data->data(kItemMimeType);
    QDataStream in(bytes);
    quint64 source = 0;
    qint32 depth = 0;
    in >> source >> depth;
    // Another program can offer data of this type: trust no count in it.
    if (in.status() != QDataStream::Ok || source != quint64(reinterpret_cast<quintptr>(this)) ||
        depth <= 0 || depth > bytes.size() / 4)
        return false;
    const TreeItem* item = tree_.Top();
    for (qint32 i = 0; i < depth; ++i) {
        qint32 r = -1;
        in >> r;
        if (in.status() != QDataStream::Ok || r < 0 || r >= item->ChildCount()) return false;
        item = item->Child(r);
    }
    *dragged = const_cast<TreeItem*>(item);
    // Dropped between rows (row >= 0): onto the folder those rows belong to.
    *target = ItemAt(parent);
    return true;
}

bool CatalogModel::canDropMimeData(const QMimeData* data, Qt::DropAction action, int, int,
                                   const QModelIndex& parent) const {
    TreeItem *dragged = nullptr, *target = nullptr;
    if (!dropHandler_ || !DropItems(data, action, parent, &dragged, &target)) return false;
    return catalog::PlanDrop(tree_, dragged, target).action != catalog::DropAction::Refused;
}

bool CatalogModel::dropMimeData(const QMimeData* data, Qt::DropAction action, int, int,
                                const QModelIndex& parent) {
    TreeItem *dragged = nullptr, *target = nullptr;
    if (!dropHandler_ || !DropItems(data, action, parent, &dragged, &target)) return false;
    // The view then asks to remove the dragged rows, as after any move;
    // this model removes no rows on request, so the handler's move stands.
    return dropHandler_(dragged, target);
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
