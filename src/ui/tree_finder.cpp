// Applying a search to the view, and undoing it.
#include "ui/tree_finder.h"

#include <QSortFilterProxyModel>
#include <QTimer>
#include <QTreeView>

#include "catalog/catalog.h"
#include "session/settings_store.h"
#include "store/registry_errors.h"
#include "store/registry_number.h"
#include "ui/catalog_model.h"

namespace ui {
namespace {
constexpr const char* kFindSubkey = "Find";
constexpr const char* kUnloadedValue = "search unloaded folders";

QString Count(std::size_t n, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}
}  // namespace

TreeFinder::TreeFinder(const catalog::Catalog& catalog, CatalogModel* model,
                       QSortFilterProxyModel* proxy, QTreeView* view, QObject* parent)
    : QObject(parent),
      catalog_(catalog),
      model_(model),
      proxy_(proxy),
      view_(view),
      search_(catalog) {
    // The tree changed under a search: search again once the burst is over,
    // so a load of many rows costs one search, not one per row.
    refreshSoon_ = new QTimer(this);
    refreshSoon_->setSingleShot(true);
    refreshSoon_->setInterval(0);
    connect(refreshSoon_, &QTimer::timeout, this, &TreeFinder::TreeChanged);
    auto soon = [this] {
        if (search_.Active()) refreshSoon_->start();
    };
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(model_, signal, this, soon);
    connect(model_, &QAbstractItemModel::rowsMoved, this, soon);
    connect(model_, &QAbstractItemModel::modelReset, this, soon);
    connect(model_, &QAbstractItemModel::dataChanged, this, soon);
}

TreeFinder::~TreeFinder() = default;

bool TreeFinder::AcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    if (!search_.Active()) return true;
    const catalog::TreeItem* parent =
        sourceParent.isValid() ? model_->ItemAt(sourceParent) : catalog_.Tree().Top();
    return search_.Accepts(parent, sourceRow);
}

QString TreeFinder::UnloadedTip(const QModelIndex& sourceIndex) const {
    std::size_t n = search_.UnloadedMatches(model_->ItemAt(sourceIndex));
    if (n == 0) return QString();
    return Count(n, "match", "matches") + QStringLiteral(" inside, not loaded yet");
}

bool TreeFinder::ShowsChildren(const QModelIndex& sourceIndex) const {
    return search_.ShowsChildren(model_->ItemAt(sourceIndex));
}

QString TreeFinder::CountText() const {
    if (!search_.Active()) return QString();
    std::size_t loaded = search_.MatchCount();
    std::size_t unloaded = search_.UnloadedMatchCount();
    if (loaded == 0 && unloaded == 0) return QStringLiteral("No matches");
    const QString folders = Count(search_.UnloadedFolderCount(), "folder", "folders");
    if (loaded == 0)
        return Count(unloaded, "match", "matches") +
               QStringLiteral(" in %1 not loaded").arg(folders);
    QString text = Count(loaded, "match", "matches");
    if (unloaded > 0)
        text += QStringLiteral(", %1 more in %2 not loaded").arg(unloaded).arg(folders);
    if (loaded > kShowLimit) text += QStringLiteral(" (open folders to see them all)");
    return text;
}

void TreeFinder::Find(const QString& text, bool unloaded) {
    const bool was = search_.Active();
    // Taken before the search changes what the proxy's rows are.
    if (!was && !catalog::TextIndex::FoldNeedle(text.toStdString()).empty()) RememberTree();
    changing_ = true;
    search_.Search(text.toStdString(), unloaded);
    if (search_.Active()) {
        Apply();
    } else if (was) {
        proxy_->invalidate();
        changing_ = false;
        RestoreTree();
    }
    changing_ = false;
    emit CountChanged(CountText());
}

void TreeFinder::Apply() {
    // A new layout rather than row-by-row removals: a search may hide a
    // hundred thousand scattered rows, which one by one would cost a view
    // a relayout each.
    proxy_->invalidate();
    changing_ = false;
    for (const catalog::TreeItem* folder : search_.FoldersToShow(kShowLimit))
        view_->expand(proxy_->mapFromSource(model_->IndexOf(folder)));
}

void TreeFinder::TreeChanged() {
    if (!search_.Active() || search_.Current()) return;
    changing_ = true;
    search_.Refresh();
    Apply();
    emit CountChanged(CountText());
}

void TreeFinder::RememberTree() {
    expanded_.clear();
    std::vector<QModelIndex> pending{QModelIndex()};
    while (!pending.empty()) {
        QModelIndex parent = pending.back();
        pending.pop_back();
        for (int row = 0, n = proxy_->rowCount(parent); row < n; ++row) {
            QModelIndex child = proxy_->index(row, 0, parent);
            if (!view_->isExpanded(child)) continue;
            expanded_.emplace_back(proxy_->mapToSource(child));
            pending.push_back(child);
        }
    }
    current_ = proxy_->mapToSource(view_->currentIndex());
    remembered_ = true;
}

void TreeFinder::RestoreTree() {
    if (!remembered_) return;
    remembered_ = false;
    // An item the user picked among the matches stays picked and in view;
    // otherwise the one picked before the search comes back.
    QModelIndex picked = proxy_->mapToSource(view_->currentIndex());
    view_->collapseAll();
    for (const QPersistentModelIndex& index : expanded_)
        if (index.isValid()) view_->expand(proxy_->mapFromSource(index));
    expanded_.clear();
    QModelIndex keep = picked.isValid() && picked != current_ ? picked : QModelIndex(current_);
    if (keep.isValid()) {
        for (QModelIndex up = keep.parent(); up.isValid(); up = up.parent())
            view_->expand(proxy_->mapFromSource(up));
        QModelIndex shown = proxy_->mapFromSource(keep);
        view_->setCurrentIndex(shown);
        view_->scrollTo(shown);
    }
}

bool TreeFinder::LoadUnloadedOption() {
    try {
        session::SettingsStore::SelectApplicationKey();
        return store::RegistryNumber(kFindSubkey, kUnloadedValue, 0).Get() != 0;
    } catch (const store::CRegistryError&) {
        return false;
    }
}

void TreeFinder::SaveUnloadedOption(bool on) {
    try {
        session::SettingsStore::SelectApplicationKey();
        store::RegistryNumber(kFindSubkey, kUnloadedValue, 0).Set(on ? 1 : 0);
    } catch (const store::CRegistryError&) {
        // A comfort only: the search works the same without it.
    }
}

}  // namespace ui
