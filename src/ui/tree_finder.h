// Runs the find bar's search over the main tree: keeps the search behind
// the proxy's row test, opens the folders on the way to what was found,
// says how many matched, follows changes of the tree while a search is on,
// and puts the tree back as it was (open folders, selection) when the
// search ends. Opening folders is capped: a one-letter search over a
// million items must not lay out a million rows.
#pragma once

#include <QModelIndex>
#include <QObject>
#include <QPersistentModelIndex>
#include <QString>
#include <memory>
#include <vector>

#include "catalog/catalog_search.h"

class QSortFilterProxyModel;
class QTimer;
class QTreeView;

namespace catalog {
class Catalog;
}

namespace ui {

class CatalogModel;

class TreeFinder : public QObject {
    Q_OBJECT
public:
    // Matches whose folders are opened; the rest are counted and reached
    // by opening folders by hand.
    static constexpr std::size_t kShowLimit = 2000;

    // `proxy` sits between `model` and `view` and asks AcceptsRow.
    TreeFinder(const catalog::Catalog& catalog, CatalogModel* model, QSortFilterProxyModel* proxy,
               QTreeView* view, QObject* parent = nullptr);
    ~TreeFinder() override;

    // Searches for `text` (empty: ends the search and restores the tree).
    void Find(const QString& text, bool unloaded);
    bool Active() const { return search_.Active(); }
    const catalog::CatalogSearch& Search() const { return search_; }

    // For the proxy: whether a source row stays, and the tool tip of a
    // folder whose unloaded files hold matches (empty for others).
    bool AcceptsRow(int sourceRow, const QModelIndex& sourceParent) const;
    QString UnloadedTip(const QModelIndex& sourceIndex) const;
    // Whether a kept source row may show children: a view asks this of
    // every row it shows, and the proxy would otherwise filter all their
    // children to answer.
    bool ShowsChildren(const QModelIndex& sourceIndex) const;
    // True while the search changes and the proxy has not yet dropped its
    // rows of the last one: ShowsChildren must not be asked then, as the
    // proxy's rows and the search disagree.
    bool Changing() const { return changing_; }

    // Indexes the tree (and reads unloaded folders' files) ahead of the
    // first keystroke: the field got the keyboard.
    void Prepare(bool unloaded) { search_.Prepare(unloaded); }

    // "No matches", "1 match", "12 matches, 3 more in 1 folder not loaded".
    QString CountText() const;

    // The option to search unloaded folders, kept in the settings database.
    static bool LoadUnloadedOption();
    static void SaveUnloadedOption(bool on);

signals:
    // The count changed; empty when no search is on.
    void CountChanged(const QString& text);

private:
    void Apply();
    void TreeChanged();
    void RememberTree();
    void RestoreTree();

    const catalog::Catalog& catalog_;
    CatalogModel* model_;
    QSortFilterProxyModel* proxy_;
    QTreeView* view_;
    catalog::CatalogSearch search_;
    QTimer* refreshSoon_;
    // The tree before the search: open folders and the current item.
    bool changing_ = false;
    bool remembered_ = false;
    std::vector<QPersistentModelIndex> expanded_;
    QPersistentModelIndex current_;
};

}  // namespace ui
