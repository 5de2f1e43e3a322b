// The main window's tree view. It shows the catalog through CatalogModel,
// owns the catalog session (tree, settings, data files), keeps the
// selection that every command acts on, answers the enable rules for it,
// and runs activation (double click, Enter) by the selected entry's kind.
// Its columns can be sorted or hidden down to the names alone; opening a
// folder whose contents file is unread reads it as activating it does.
#pragma once

#include <QTreeView>
#include <memory>

#include "catalog/catalog_services.h"
#include "catalog/command_rules.h"
#include "ftpsites/site_browser_view.h"
#include "session/catalog_session.h"
#include "ui/command_table.h"

namespace catalog {
class TreeItem;
}
namespace ftpsites {
class SiteBrowser;
}
namespace session {
class FtpDataFetcher;
}

namespace ui {

class CatalogEditor;
class CatalogModel;
class CatalogSortProxy;
class TreeFinder;
class MapFileCommands;
class TransferCommands;
class ReadProgressDialog;

class CClientView : public QTreeView,
                    public catalog::ActivationHandler,
                    public ftpsites::SiteBrowserView {
    Q_OBJECT
public:
    // Request code of an activation by the Enter key.
    static constexpr int kEnterRequest = 2000;

    // Builds the view over a fresh catalog kept in `dataDirectory`.
    explicit CClientView(const std::string& dataDirectory, QWidget* parent = nullptr);
    ~CClientView() override;

    session::CatalogSession& Session() { return *session_; }
    catalog::Catalog& Catalog() { return session_->Catalog(); }
    // The catalog model and the sorted look of it the view shows. Indexes of
    // the view belong to the proxy; these turn items into them and back.
    CatalogModel* Model() const { return model_; }
    CatalogSortProxy* SortProxy() const { return proxy_; }
    QModelIndex ViewIndex(const catalog::TreeItem* item) const;
    catalog::TreeItem* ItemAt(const QModelIndex& viewIndex) const;

    // The columns beside the names, or the names alone.
    bool ColumnsShown() const { return !isHeaderHidden(); }
    void ShowColumns(bool shown);
    // Widths, order, visibility and sorting of the columns, as shown when
    // the columns are; a state that would hide the names is refused.
    QByteArray ColumnState() const;
    bool RestoreColumnState(const QByteArray& state);
    bool InCatalogOrder() const;
    void ShowCatalogOrder();
    // The find bar's search over this view.
    TreeFinder& Finder() const { return *finder_; }
    // New folders, items and sites, edits, deletes and drops, with undo.
    CatalogEditor& Editor() const { return *editor_; }
    ReadProgressDialog* Progress() const { return progress_; }

    // Start-up: the root items, settings, the catalog, the Options dialog
    // for a first-time user, the root expanded.
    void InitialUpdate();

    // The caret item, or null.
    catalog::TreeItem* SelectedItem() const;
    void SelectItem(const catalog::TreeItem* item);
    catalog::SelectionKind SelectedKind() const;
    // Whether the selection meets a command's enable rule.
    bool RuleAllows(catalog::CatalogCommand rule) const;

    // Installs the handlers of the commands the view carries out.
    void InstallHandlers(CommandTable& commands);

    // Runs activation of the selected item; requestCode kEnterRequest also
    // toggles the item open or closed afterwards.
    void ActivateItem(int requestCode = 0);

    // The Options dialog; after OK the settings are written and used.
    void ShowOptions();

    // Offers the interrupted purchases for resuming (at start-up and on
    // "Resume Transfer"); returns how many transfers were started.
    int OfferResume();

    // The exit check. False when the window must stay open.
    bool CloseCatalog();

    // catalog::ActivationHandler
    void OpenSite(catalog::TreeItem* item) override;
    void ListDirectory(catalog::TreeItem* item) override;
    void DownloadSiteFile(catalog::TreeItem* item) override;
    void OpenMapFile(catalog::TreeItem* item) override;
    void ShowItemProperties(catalog::TreeItem* item) override;

    // ftpsites::SiteBrowserView
    void ListingStarted(catalog::TreeItem* item) override;
    void ListingFinished(catalog::TreeItem* item) override;
    void ExpandItem(catalog::TreeItem* item) override;

    ftpsites::SiteBrowser& Sites() { return *sites_; }
    // Listings waiting on the network right now (nested event loops below
    // the current one).
    int ListingsRunning() const { return listings_; }
    // Whether a listing or a data-file fetch waits on the network: the
    // tree must not go away under it.
    bool NetworkBusy() const;
    // Ends every listing (by closing its site) and the fetch in progress;
    // they unwind once control returns to their loops, then Idle follows.
    void AbortNetwork();

signals:
    void SelectionChanged();
    // A status-bar note for the user (a command that is not available yet).
    void Note(const QString& text);
    // The user agreed to install a new version: the program must end.
    void QuitRequested();
    // The last listing or fetch that was waiting has ended.
    void Idle();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    void Download();
    void DownloadCatalogItem();
    void FetchFirstDataFile();
    void Save();
    void NotYet(const char* what);
    // A folder opened by its expander or the Right key whose contents file
    // is unread.
    void LoadOpenedFolder(catalog::TreeItem* folder);
    void ShowColumnMenu(const QPoint& at);

    std::unique_ptr<session::CatalogSession> session_;
    std::unique_ptr<TransferCommands> transfers_;
    std::unique_ptr<ftpsites::SiteBrowser> sites_;
    session::FtpDataFetcher* fetcher_;  // owned by the session
    int listings_ = 0;
    CatalogModel* model_;
    CatalogSortProxy* proxy_;
    TreeFinder* finder_;
    CatalogEditor* editor_;
    ReadProgressDialog* progress_;
    CommandTable* commands_ = nullptr;
    std::unique_ptr<MapFileCommands> mapFiles_;
    QByteArray shownColumns_;  // the column state while only names show
};

}  // namespace ui
