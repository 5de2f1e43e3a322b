#include "ui/client_view.h"

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <utility>

#include "catalog/catalog_tree.h"
#include "catalog/command_rules.h"
#include "catalog/tree_item.h"
#include "ftpsites/site_browser.h"
#include "session/ftp_data_fetcher.h"
#include "store/gui/password_dialog.h"
#include "ui/catalog_editor.h"
#include "ui/catalog_model.h"
#include "ui/catalog_sort_proxy.h"
#include "ui/command_ids.h"
#include "ui/map_file_commands.h"
#include "ui/options_dialog.h"
#include "ui/read_progress_dialog.h"
#include "ui/transfer_commands.h"
#include "ui/tree_finder.h"

namespace ui {
CClientView::CClientView(const std::string& dataDirectory, QWidget* parent)
    : QTreeView(parent), session_(std::make_unique<session::CatalogSession>(dataDirectory)) {
    setObjectName(QStringLiteral("clientView"));
    setRootIsDecorated(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    // All rows are one line of text and one image: letting the view assume
    // so keeps scrolling through 100,000 items cheap.
    setUniformRowHeights(true);
    setFrameShape(QFrame::StyledPanel);
    setIconSize(QSize(16, 16));

    auto fetcher = std::make_unique<session::FtpDataFetcher>(session_->Settings());
    fetcher_ = fetcher.get();
    fetcher_->SetOnFinished([this] {
        if (!NetworkBusy()) emit Idle();
    });
    fetcher_->SetOnBusy([](bool busy) {
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    });
    session_->SetFetcher(std::move(fetcher));
    TransferCommands::Hooks hooks;
    hooks.quit = [this] { emit QuitRequested(); };
    hooks.note = [this](const QString& text) { emit Note(text); };
    hooks.fetchFirstDataFile = [this] { FetchFirstDataFile(); };
    hooks.editSite = [this](catalog::TreeItem* site) { editor_->EditSite(site); };
    transfers_ = std::make_unique<TransferCommands>(this, *session_, std::move(hooks));
    model_ = new CatalogModel(Catalog().Tree(), this);
    proxy_ = new CatalogSortProxy(this);
    proxy_->setSourceModel(model_);
    setModel(proxy_);
    // The catalog's order until a header is clicked; a third click on the
    // same header brings it back.
    header()->setSortIndicator(-1, Qt::AscendingOrder);
    header()->setSortIndicatorClearable(true);
    setSortingEnabled(true);
    setAllColumnsShowFocus(true);
    header()->setFirstSectionMovable(false);
    const QFontMetrics metrics = fontMetrics();
    const int pad = metrics.horizontalAdvance(QStringLiteral("MM"));
    header()->resizeSection(CatalogModel::kNameColumn, metrics.averageCharWidth() * 40);
    header()->resizeSection(CatalogModel::kSizeColumn,
                            metrics.horizontalAdvance(QStringLiteral("999.9 MB")) + pad);
    header()->resizeSection(CatalogModel::kDateColumn,
                            metrics.horizontalAdvance(QStringLiteral("Sep/30/26")) + pad);
    header()->resizeSection(CatalogModel::kPriceColumn,
                            metrics.horizontalAdvance(QStringLiteral("$999.99")) + pad);
    header()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(header(), &QHeaderView::customContextMenuRequested, this, &CClientView::ShowColumnMenu);
    model_->SetLoadHandler([this](catalog::TreeItem* folder) { LoadOpenedFolder(folder); });
    finder_ = new TreeFinder(Catalog(), model_, proxy_, this, this);
    proxy_->SetFinder(finder_);
    progress_ = new ReadProgressDialog(this);
    Catalog().SetProgress(progress_);
    Catalog().SetActivationHandler(this);
    sites_ = std::make_unique<ftpsites::SiteBrowser>(Catalog().Tree(), this);
    mapFiles_ = std::make_unique<MapFileCommands>(*this);

    editor_ = new CatalogEditor(*session_, this);
    CatalogEditor::Hooks editHooks;
    editHooks.selected = [this] { return SelectedItem(); };
    editHooks.select = [this](catalog::TreeItem* item) { SelectItem(item); };
    editHooks.openSite = [this](catalog::TreeItem* item) {
        if (sites_->OpenSiteItem(item, true)) ExpandItem(item);
    };
    editHooks.closeSite = [this](catalog::TreeItem* item) { sites_->CloseSite(item); };
    editHooks.fetchFirstDataFile = [this] { FetchFirstDataFile(); };
    editor_->SetHooks(std::move(editHooks));
    connect(editor_, &CatalogEditor::Edited, this, &CClientView::SelectionChanged);
    model_->SetDropHandler([this](catalog::TreeItem* dragged, catalog::TreeItem* target) {
        return editor_->Drop(dragged, target);
    });
    // Items are dropped onto items, never between them: where an item goes
    // is decided by the item it is dropped on.
    setDragEnabled(true);
    setAcceptDrops(true);
    setDropIndicatorShown(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDefaultDropAction(Qt::MoveAction);
    setDragDropOverwriteMode(true);
}

CClientView::~CClientView() {
    Catalog().SetProgress(nullptr);
    Catalog().SetActivationHandler(nullptr);
    // The model must stop observing before the tree it watches goes away.
    blockSignals(true);
    setModel(nullptr);
    proxy_->SetFinder(nullptr);
    delete finder_;
    delete proxy_;
    proxy_ = nullptr;
    delete model_;
    model_ = nullptr;
    // Its undo steps hold items taken out of the tree the session owns.
    delete editor_;
    editor_ = nullptr;
}

void CClientView::InitialUpdate() {
    session::CatalogSession::Hooks hooks;
    hooks.openOptions = [this] { ShowOptions(); };
    hooks.expandRoot = [this] {
        if (catalog::TreeItem* root = Catalog().Tree().RootItem()) expand(ViewIndex(root));
    };
    hooks.offerResume = [this] { OfferResume(); };
    session_->InitialUpdate(hooks);
    if (!currentIndex().isValid() && Catalog().Tree().RootItem())
        setCurrentIndex(ViewIndex(Catalog().Tree().RootItem()));
    emit SelectionChanged();
}

QModelIndex CClientView::ViewIndex(const catalog::TreeItem* item) const {
    return proxy_->mapFromSource(model_->IndexOf(item));
}

catalog::TreeItem* CClientView::ItemAt(const QModelIndex& viewIndex) const {
    return model_->ItemAt(proxy_->mapToSource(viewIndex));
}

void CClientView::ShowColumns(bool shown) {
    if (shown == ColumnsShown()) return;
    if (!shown) {
        shownColumns_ = header()->saveState();
        for (int column = CatalogModel::kNameColumn + 1; column < CatalogModel::kColumnCount;
             ++column)
            header()->setSectionHidden(column, true);
        setHeaderHidden(true);
        return;
    }
    setHeaderHidden(false);
    // The columns come back as they were, sorted as the names are now.
    const int section = header()->sortIndicatorSection();
    const Qt::SortOrder order = header()->sortIndicatorOrder();
    if (!RestoreColumnState(std::exchange(shownColumns_, {}))) {
        for (int column = CatalogModel::kNameColumn + 1; column < CatalogModel::kColumnCount;
             ++column)
            header()->setSectionHidden(column, false);
    }
    header()->setSortIndicator(section, order);
}

QByteArray CClientView::ColumnState() const {
    return ColumnsShown() || shownColumns_.isEmpty() ? header()->saveState() : shownColumns_;
}

bool CClientView::RestoreColumnState(const QByteArray& state) {
    const QByteArray before = header()->saveState();
    if (state.isEmpty() || !header()->restoreState(state)) return false;
    QHeaderView* h = header();
    // A stored state comes from outside: the names must stay first and
    // visible, and no shown column may shrink to nothing.
    if (h->count() != CatalogModel::kColumnCount || h->isSectionHidden(CatalogModel::kNameColumn) ||
        h->visualIndex(CatalogModel::kNameColumn) != 0) {
        h->restoreState(before);
        return false;
    }
    for (int column = 0; column < h->count(); ++column) {
        if (!h->isSectionHidden(column) && h->sectionSize(column) < h->minimumSectionSize())
            h->resizeSection(column, h->defaultSectionSize());
    }
    return true;
}

bool CClientView::InCatalogOrder() const { return header()->sortIndicatorSection() < 0; }

void CClientView::ShowCatalogOrder() {
    // The view sorts when the indicator changes, so the two stay in step.
    header()->setSortIndicator(-1, Qt::AscendingOrder);
}

void CClientView::ShowColumnMenu(const QPoint& at) {
    QMenu menu(this);
    for (int column = CatalogModel::kNameColumn + 1; column < CatalogModel::kColumnCount;
         ++column) {
        QAction* action =
            menu.addAction(model_->headerData(column, Qt::Horizontal).toString(), this,
                           [this, column](bool on) { header()->setSectionHidden(column, !on); });
        action->setCheckable(true);
        action->setChecked(!header()->isSectionHidden(column));
    }
    menu.exec(header()->viewport()->mapToGlobal(at));
}

void CClientView::LoadOpenedFolder(catalog::TreeItem* folder) {
    // Only a folder the user opened is read: layouts and model checks ask
    // about others too.
    const QPersistentModelIndex index(ViewIndex(folder));
    if (!index.isValid() || !isExpanded(index)) return;
    Catalog().LoadFolderContents(folder);
    // Left without contents (a missing file not fetched), the folder closes,
    // or every layout would ask again.
    if (index.isValid() && CatalogModel::AwaitsContents(ItemAt(index))) collapse(index);
    emit SelectionChanged();
}

catalog::TreeItem* CClientView::SelectedItem() const { return ItemAt(currentIndex()); }

void CClientView::SelectItem(const catalog::TreeItem* item) {
    QModelIndex index = ViewIndex(item);
    setCurrentIndex(index);
    if (index.isValid()) scrollTo(index);
}

catalog::SelectionKind CClientView::SelectedKind() const {
    return catalog::SelectedKind(SelectedItem());
}

bool CClientView::RuleAllows(catalog::CatalogCommand rule) const {
    using C = catalog::CatalogCommand;
    if (!catalog::IsCommandEnabled(rule, SelectedItem())) return false;
    // The Download dispatch can only do what a handler exists for.
    if (rule == C::Download && SelectedKind() == catalog::SelectionKind::SiteFile && commands_ &&
        !commands_->HasHandler(Effect::DownloadSiteFile))
        return false;
    return true;
}

void CClientView::InstallHandlers(CommandTable& commands) {
    commands_ = &commands;
    commands.SetHandler(Effect::Save, [this] { Save(); });
    commands.SetHandler(Effect::ToggleColumns, [this, &commands] {
        ShowColumns(commands.Action(cmd::kViewColumns)->isChecked());
    });
    commands.SetHandler(Effect::CatalogOrder, [this] { ShowCatalogOrder(); });
    commands.SetHandler(Effect::Options, [this] { ShowOptions(); });
    commands.SetHandler(Effect::ResumeTransfer, [this] { OfferResume(); });
    commands.SetHandler(Effect::Download, [this] { Download(); });
    commands.SetHandler(Effect::DownloadCatalogItem, [this] { DownloadCatalogItem(); });
    commands.SetHandler(Effect::DownloadSiteFile, [this] {
        if (SelectedKind() == catalog::SelectionKind::SiteFile) DownloadSiteFile(SelectedItem());
    });
    commands.SetHandler(Effect::ItemProperties, [this] {
        if (RuleAllows(catalog::CatalogCommand::ItemProperties)) ShowItemProperties(SelectedItem());
    });
    commands.SetHandler(Effect::Upload, [this] { transfers_->Upload(SelectedItem()); });
    commands.SetHandler(Effect::TransferLog, [this] { transfers_->ShowTransferLog(); });
    commands.SetHandler(Effect::FetchFirstDataFile, [this] { FetchFirstDataFile(); });
    commands.SetHandler(Effect::Activate, [this] { ActivateItem(kEnterRequest); });
    commands.SetHandler(Effect::NewFolder, [this] { editor_->NewFolder(); });
    commands.SetHandler(Effect::AddItem, [this] { editor_->AddItem(); });
    commands.SetHandler(Effect::AddChooser, [this] { editor_->ChooseAdd(); });
    commands.SetHandler(Effect::EditItem, [this] { editor_->Edit(); });
    commands.SetHandler(Effect::DeleteItem, [this] { editor_->Delete(); });
    commands.SetHandler(Effect::NewFtpSite, [this] { editor_->AddFtpSite(); });
    commands.SetHandler(Effect::Undo, [this] { editor_->Undo(); });
    commands.SetHandler(Effect::Redo, [this] { editor_->Redo(); });
    commands.SetHandler(Effect::OpenSite, [this] {
        if (catalog::TreeItem* item = SelectedItem()) sites_->OpenSite(item);
    });
    commands.SetHandler(Effect::Refresh, [this] {
        if (catalog::TreeItem* item = SelectedItem()) sites_->Refresh(item);
    });
    commands.SetHandler(Effect::CloseSite, [this] {
        if (catalog::TreeItem* item = SelectedItem()) sites_->CloseSite(item);
    });
    mapFiles_->Install(commands);
}

void CClientView::ActivateItem(int requestCode) {
    catalog::TreeItem* item = SelectedItem();
    const bool wasExpanded = isExpanded(currentIndex());
    Catalog().ActivateItem(item);
    if (requestCode == kEnterRequest) {
        // Enter opens or closes the item, judged by how it was before:
        // activation may itself have expanded it (an opened site), and
        // toggling that would close what the user just opened. The index
        // is taken afresh, as activation may have changed the rows.
        // A folder still waiting for its file was declined: opening it
        // would ask once more.
        QModelIndex index = currentIndex();
        if (index.isValid() && !CatalogModel::AwaitsContents(ItemAt(index)))
            setExpanded(index, !wasExpanded);
    }
    emit SelectionChanged();
}

void CClientView::ShowOptions() {
    OptionsDialog dialog(session_->Settings(), this);
    dialog.SetCardSupportNote({Catalog().ContentDateText(), Catalog().ContentDate()});
    if (dialog.exec() == QDialog::Accepted) session_->ApplySettings(dialog.Result());
}

int CClientView::OfferResume() {
    return session_->OfferResume([this] {
        return store::gui::PasswordDialog::Ask(store::gui::PasswordDialog::Purpose::Enter, this);
    });
}

bool CClientView::CloseCatalog() { return session_->CloseCatalog(); }

void CClientView::OpenSite(catalog::TreeItem* item) { sites_->OpenSite(item); }

void CClientView::ListDirectory(catalog::TreeItem* item) { sites_->ListDirectory(item); }

void CClientView::DownloadSiteFile(catalog::TreeItem* item) { transfers_->DownloadSiteFile(item); }

void CClientView::OpenMapFile(catalog::TreeItem* item) { mapFiles_->Open(item); }

void CClientView::ShowItemProperties(catalog::TreeItem* item) {
    transfers_->ShowItemProperties(item);
}

void CClientView::ListingStarted(catalog::TreeItem* item) {
    ++listings_;
    QApplication::setOverrideCursor(Qt::BusyCursor);
    emit Note(QStringLiteral("Listing %1...").arg(QString::fromStdString(item->Text())));
}

void CClientView::ListingFinished(catalog::TreeItem*) {
    if (listings_ > 0) --listings_;
    QApplication::restoreOverrideCursor();
    emit Note(QString());
    emit SelectionChanged();
    if (!NetworkBusy()) emit Idle();
}

void CClientView::ExpandItem(catalog::TreeItem* item) {
    QModelIndex index = ViewIndex(item);
    if (index.isValid()) expand(index);
}

bool CClientView::NetworkBusy() const { return listings_ > 0 || fetcher_->Running(); }

void CClientView::AbortNetwork() {
    fetcher_->Abort();
    // Closing a site ends its listing. Items being listed may have been
    // deleted meanwhile, so the sites are found afresh in the tree rather
    // than remembered; the listings unwind once control returns to them.
    std::vector<catalog::TreeItem*> busy;
    std::vector<catalog::TreeItem*> stack{Catalog().Tree().Top()};
    while (!stack.empty()) {
        catalog::TreeItem* item = stack.back();
        stack.pop_back();
        const catalog::CEntry* e = item->Entry();
        if (e && e->IsFtpSite()) {
            if (ftpsites::SiteBrowser::IsListing(item)) busy.push_back(item);
            continue;  // a site's own children are its listing
        }
        for (int i = 0; i < item->ChildCount(); ++i) stack.push_back(item->Child(i));
    }
    for (catalog::TreeItem* site : busy) sites_->CloseSite(site);
}

void CClientView::NotYet(const char* what) {
    emit Note(QString::fromUtf8(what) + QStringLiteral(" is not available in this version."));
}

void CClientView::keyPressEvent(QKeyEvent* event) {
    // A tree view takes F2 for editing a row in place; here it is the
    // window's Edit command, which opens the dialog for the selected item.
    if (event->key() == Qt::Key_F2 && event->modifiers() == Qt::NoModifier && commands_) {
        commands_->Action(cmd::kEditMenu)->trigger();
        return;
    }
    QTreeView::keyPressEvent(event);
}

void CClientView::mousePressEvent(QMouseEvent* event) {
    // A right click acts on the item under the pointer, so select it first;
    // on empty space the selection stays.
    if (event->button() == Qt::RightButton) {
        QModelIndex index = indexAt(event->position().toPoint());
        if (index.isValid()) setCurrentIndex(index);
    }
    QTreeView::mousePressEvent(event);
}

void CClientView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        QModelIndex index = indexAt(event->position().toPoint());
        if (index.isValid()) {
            setCurrentIndex(index);
            const bool wasExpanded = isExpanded(index);
            QPersistentModelIndex activated(index);
            ActivateItem(0);
            // Opening a folder that activation could not read would ask again.
            if (activated.isValid() && CatalogModel::AwaitsContents(ItemAt(activated))) return;
            QTreeView::mouseDoubleClickEvent(event);
            // As with Enter: an item that was closed ends up open, even when
            // activation opened it and the default handling toggled it back.
            if (!wasExpanded && activated.isValid() && model()->rowCount(activated) > 0)
                expand(activated);
            return;
        }
    }
    QTreeView::mouseDoubleClickEvent(event);
}

void CClientView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTreeView::currentChanged(current, previous);
    emit SelectionChanged();
}

void CClientView::Download() {
    // Keys and stale buttons can reach here; a priced item is never
    // downloaded without being bought.
    if (!RuleAllows(catalog::CatalogCommand::Download)) return;
    switch (SelectedKind()) {
        case catalog::SelectionKind::CatalogItem:
            DownloadCatalogItem();
            break;
        case catalog::SelectionKind::SiteFile:
            if (catalog::TreeItem* item = SelectedItem()) DownloadSiteFile(item);
            break;
        default:
            break;
    }
}

void CClientView::DownloadCatalogItem() {
    const catalog::TreeItem* item = SelectedItem();
    // Only an ordinary item names a file by its Path; a site's file or a
    // map file reached through a stale menu does not.
    if (!item || !item->Entry() || SelectedKind() != catalog::SelectionKind::CatalogItem ||
        !RuleAllows(catalog::CatalogCommand::Download))
        return;
    transfers_->DownloadCatalogItem(item);
}

void CClientView::FetchFirstDataFile() {
    session_->FetchFirstDataFile();
    emit SelectionChanged();
}

void CClientView::Save() {
    if (Catalog().SaveCatalog()) editor_->Saved();
}

}  // namespace ui
