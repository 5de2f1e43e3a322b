#include "ui/catalog_model.h"

#include <QDataStream>
#include <QIODevice>
#include <QMimeData>
#include <QTextDocument>
#include <optional>
#include <utility>

#include "catalog/catalog_tree.h"
#include "catalog/data_file_format.h"
#include "catalog/edit_rules.h"
#include "catalog/tree_item.h"
#include "purchase/price.h"
#include "ui/column_values.h"
#include "ui/tool_images.h"

namespace ui {

using catalog::TreeItem;

namespace {

const QString kItemMimeType = QStringLiteral("application/x-internet-ambit-tree-item");

// What the columns show of an item, read without unpacking a packed one.
// A site's Price holds its password and its Date its listing state, so a
// site shows its host only; folders and map files show nothing.
struct ShownFields {
    std::string_view size, date, price, host;
};

ShownFields FieldsOf(const TreeItem& item) {
    if (!item.HasEntry()) return {};
    if (item.Packed()) {
        const catalog::ItemFields f = item.Packed().Fields();
        return {f.Size, f.Date, f.Price, f.Address};
    }
    const catalog::CEntry& e = *item.Entry();
    switch (e.Kind()) {
        case catalog::EntryKind::Item:
            return {e.Size, e.Date, e.Price, e.Address};
        case catalog::EntryKind::FtpFile:
            return {e.Size, e.Date, {}, e.Address};
        case catalog::EntryKind::FtpDir:
            return {{}, e.Date, {}, e.Address};
        case catalog::EntryKind::FtpSite:
            return {{}, {}, {}, e.Address};
        default:
            return {};
    }
}

bool IsPriced(std::string_view price) { return !price.empty() && price != "0.00"; }

QString Text(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

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
    if (column < 0 || column >= kColumnCount || row < 0 || parent.column() > 0)
        return QModelIndex();
    const TreeItem* p = parent.isValid() ? ItemAt(parent) : tree_.Top();
    if (row >= p->ChildCount()) return QModelIndex();
    return createIndex(row, column, p->Child(row));
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

int CatalogModel::columnCount(const QModelIndex&) const { return kColumnCount; }

bool CatalogModel::hasChildren(const QModelIndex& parent) const {
    if (parent.column() > 0) return false;
    return rowCount(parent) > 0 || AwaitsContents(ItemAt(parent));
}

bool CatalogModel::AwaitsContents(const TreeItem* item) {
    return item && item->HasEntry() && item->Kind() == catalog::EntryKind::Folder &&
           !item->HasChildren() && !item->ContentsLoaded();
}

bool CatalogModel::canFetchMore(const QModelIndex& parent) const {
    return parent.column() <= 0 && AwaitsContents(ItemAt(parent));
}

void CatalogModel::fetchMore(const QModelIndex& parent) {
    if (!canFetchMore(parent)) return;
    const QPersistentModelIndex folder(parent.siblingAtColumn(kNameColumn));
    if (loadRequests_.contains(folder)) return;
    loadRequests_.append(folder);
    if (loadRequests_.size() == 1)
        QMetaObject::invokeMethod(this, &CatalogModel::LoadRequested, Qt::QueuedConnection);
}

void CatalogModel::LoadRequested() {
    // Taken first: the handler may ask a question or fetch a file, and
    // views ask again meanwhile.
    const QList<QPersistentModelIndex> requests = std::exchange(loadRequests_, {});
    for (const QPersistentModelIndex& folder : requests) {
        // The folder may have gone, or been loaded by an earlier request.
        if (loadHandler_ && folder.isValid() && AwaitsContents(ItemAt(folder)))
            loadHandler_(ItemAt(folder));
    }
}

QVariant CatalogModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return QVariant();
    switch (section) {
        case kNameColumn:
            return QStringLiteral("Name");
        case kSizeColumn:
            return QStringLiteral("Size");
        case kDateColumn:
            return QStringLiteral("Date");
        case kPriceColumn:
            return QStringLiteral("Price");
        case kHostColumn:
            return QStringLiteral("Host");
        default:
            return QVariant();
    }
}

QVariant CatalogModel::ColumnData(const TreeItem& item, int column, int role) const {
    const ShownFields f = FieldsOf(item);
    switch (column) {
        case kSizeColumn: {
            const std::optional<qint64> bytes = SizeBytes(f.size);
            if (role == kSortRole) return bytes ? QVariant(*bytes) : QVariant();
            if (role == Qt::ToolTipRole) return bytes ? ExactSize(*bytes) : QVariant();
            if (role == Qt::DisplayRole) return bytes ? HumanSize(*bytes) : Text(f.size);
            break;
        }
        case kDateColumn:
            if (role == kSortRole) {
                const std::optional<int> key = DateKey(f.date);
                return key ? QVariant(*key) : QVariant();
            }
            if (role == Qt::DisplayRole) return Text(f.date);
            break;
        case kPriceColumn:
            if (!IsPriced(f.price)) break;
            if (role == kSortRole) {
                const std::optional<std::uint32_t> cents = purchase::ParseCents(f.price);
                return cents ? QVariant(*cents) : QVariant();
            }
            if (role == Qt::DisplayRole) return PriceText(f.price);
            break;
        case kHostColumn:
            if (role == kSortRole && f.host.empty()) return QVariant();
            if (role == Qt::DisplayRole || role == kSortRole) return Text(f.host);
            break;
        default:
            break;
    }
    if (role == Qt::TextAlignmentRole && (column == kSizeColumn || column == kPriceColumn))
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    return QVariant();
}

QVariant CatalogModel::data(const QModelIndex& index, int role) const {
    const TreeItem* item = ItemAt(index);
    if (!item) return QVariant();
    if (role == kHoldsItemsRole)
        return !item->HasEntry() || (item->Kind() != catalog::EntryKind::Item &&
                                     item->Kind() != catalog::EntryKind::FtpFile);
    if (index.column() != kNameColumn) {
        QVariant value = ColumnData(*item, index.column(), role);
        // Elsewhere in the row the item's description is the tool tip.
        if (value.isValid() || role != Qt::ToolTipRole) return value;
    }
    switch (role) {
        case Qt::DisplayRole:
        case kSortRole:
            return QString::fromStdString(item->Text());
        case Qt::DecorationRole:
            if (index.column() != kNameColumn) return QVariant();
            return IconFor(item->Image(), item->SelectedImage(),
                           item->HasEntry() ? item->Kind() : catalog::EntryKind::Folder,
                           item->HasEntry() && item->Kind() == catalog::EntryKind::Item &&
                               IsPriced(FieldsOf(*item).price));
        case Qt::ToolTipRole: {
            const catalog::CEntry* e = item->Entry();
            if (!e || e->IsFolder() || e->Description.empty() || e->Description == catalog::kNone ||
                e->IsFtpSite() || e->IsMapFile())
                return QVariant();
            // A tool tip takes anything that looks like markup as rich text;
            // the description comes from a data file.
            return Qt::convertFromPlainText(QString::fromStdString(e->Description));
        }
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

QIcon CatalogModel::IconFor(int image, int selectedImage, catalog::EntryKind kind,
                            bool priced) const {
    auto valid = [this](int i) { return i >= 0 && i < static_cast<int>(images_.size()); };
    if (!valid(image)) return QIcon();
    if (priced && image == catalog::kImageItem &&
        (selectedImage == image || !valid(selectedImage))) {
        if (pricedIcon_.isNull()) pricedIcon_ = PricedItemIcon();
        return pricedIcon_;
    }
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
    if (i.isValid()) emit dataChanged(i, i.siblingAtColumn(kColumnCount - 1));
}

void CatalogModel::TreeAboutToBeReset() { beginResetModel(); }

void CatalogModel::TreeReset() { endResetModel(); }

}  // namespace ui
