#include "ui/main_frame.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <memory>

#include "platform/prompt.h"
#include "session/help_manual.h"
#include "ui/about_box.h"
#include "ui/catalog_editor.h"
#include "ui/client_view.h"
#include "ui/command_ids.h"
#include "ui/command_table.h"
#include "ui/find_bar.h"
#include "ui/status_panes.h"
#include "ui/tool_images.h"
#include "ui/transaction_log_dialog.h"
#include "ui/tree_finder.h"
#include "ui/tree_printer.h"
#include "ui/window_layout_keeper.h"

namespace ui {

CMainFrame::CMainFrame(const FrameOptions& options, QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("mainFrame"));
    setWindowTitle(QStringLiteral("Internet Ambit"));
    setWindowIcon(AppIcon());
    commands_ = new CommandTable(this);
    BuildMenus();
    BuildToolBar();
    BuildStatusBar();

    // The find bar sits above the tree.
    auto* centre = new QWidget(this);
    centre->setObjectName(QStringLiteral("treePane"));
    auto* column = new QVBoxLayout(centre);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    findBar_ = new FindBar(centre);
    view_ = new CClientView(options.dataDirectory, centre);
    column->addWidget(findBar_);
    column->addWidget(view_, 1);
    setCentralWidget(centre);
    InstallFind();
    view_->installEventFilter(this);
    view_->viewport()->installEventFilter(this);
    view_->InstallHandlers(*commands_);
    InstallFrameHandlers();
    connect(view_, &CClientView::SelectionChanged, this, &CMainFrame::UpdateCommands);
    connect(view_, &CClientView::Note, this,
            [this](const QString& text) { statusBar()->showMessage(text, 5000); });
    connect(view_, &CClientView::QuitRequested, this, &QWidget::close, Qt::QueuedConnection);
    connect(view_, &CClientView::Idle, this, [this] {
        if (closeWhenIdle_) {
            closeWhenIdle_ = false;
            QTimer::singleShot(0, this, &QWidget::close);
        }
    });
    connect(commands_, &CommandTable::Ran, this, &CMainFrame::UpdateCommands);
    // Rules such as Close Site depend on the selection's children, which
    // fetches and listings change without moving the selection. One update
    // after a burst of changes is enough.
    updateSoon_ = new QTimer(this);
    updateSoon_->setSingleShot(true);
    updateSoon_->setInterval(0);
    connect(updateSoon_, &QTimer::timeout, this, &CMainFrame::UpdateCommands);
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(view_->model(), signal, updateSoon_, qOverload<>(&QTimer::start));
    connect(view_->model(), &QAbstractItemModel::modelReset, updateSoon_,
            qOverload<>(&QTimer::start));
    WindowLayoutKeeper::RestoreWindow(*this);
    WindowLayoutKeeper::RestoreColumns(*view_);
    UpdateCommands();

    // The splash shows while the window is being put together, as the
    // program has always greeted its users.
    SplashDialog::ShowFor(options.splashMs);
}

CMainFrame::~CMainFrame() {
    view_->model()->disconnect(updateSoon_);
    // The view outlives this body; nothing it says while it goes away may
    // reach a frame that is already half gone.
    view_->disconnect(this);
    view_->removeEventFilter(this);
    view_->viewport()->removeEventFilter(this);
}

QMenu* CMainFrame::AddMenu(QMenu* parent, const QString& title, std::initializer_list<int> ids) {
    QMenu* menu = parent ? parent->addMenu(title) : menuBar()->addMenu(title);
    for (int id : ids) {
        if (id == 0)
            menu->addSeparator();
        else
            menu->addAction(commands_->Action(id));
    }
    // Menus show the state of the moment they open, whatever changed since.
    connect(menu, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommands);
    return menu;
}

void CMainFrame::BuildMenus() {
    AddMenu(nullptr, QStringLiteral("&File"), {cmd::kNewFolderMenu, cmd::kSaveMenu, 0, cmd::kExit});
    AddMenu(nullptr, QStringLiteral("&Edit"),
            {cmd::kUndo, cmd::kRedo, 0, cmd::kCut, cmd::kCopy, cmd::kPaste, 0, cmd::kFind});
    QMenu* view =
        AddMenu(nullptr, QStringLiteral("&View"),
                {cmd::kViewToolbar, cmd::kViewStatusBar, cmd::kViewColumns, cmd::kCatalogOrder, 0});
    AddMenu(view, QStringLiteral("Logs"), {cmd::kTransferLog, cmd::kPurchaseLog, cmd::kMapInfo});
    view->addAction(commands_->Action(cmd::kOptions));
    AddMenu(nullptr, QStringLiteral("&Tools"),
            {cmd::kItemPropertiesMenu, cmd::kAddMenu, cmd::kEditMenu, cmd::kDeleteMenu,
             cmd::kDownloadMenu, cmd::kUploadMenu, cmd::kResumeTransfer, 0, cmd::kAddFtpServer,
             cmd::kUpdateMapFile, cmd::kCloseSiteMenu, 0, cmd::kAddMapServer,
             cmd::kNewDataFileForItem});
    AddMenu(nullptr, QStringLiteral("&Help"), {cmd::kAbout, cmd::kHelpTopics});
    for (int id : {cmd::kViewToolbar, cmd::kViewStatusBar, cmd::kViewColumns}) {
        commands_->Action(id)->setCheckable(true);
        commands_->Action(id)->setChecked(true);
    }
}

void CMainFrame::BuildToolBar() {
    toolBar_ = addToolBar(QStringLiteral("Standard"));
    toolBar_->setObjectName(QStringLiteral("standardToolBar"));
    toolBar_->setIconSize(QSize(16, 16));
    toolBar_->setAllowedAreas(Qt::AllToolBarAreas);
    toolBar_->setMovable(true);
    for (int id : ToolbarIds()) {
        if (id == 0)
            toolBar_->addSeparator();
        else
            toolBar_->addAction(commands_->Action(id));
    }
}

void CMainFrame::BuildStatusBar() {
    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("statusBar"));
    // The idle text; prompts of the commands under the pointer cover it.
    ready_ = new QLabel(QStringLiteral("Ready"), bar);
    ready_->setObjectName(QStringLiteral("messagePane"));
    bar->addWidget(ready_, 1);
    panes_ = new StatusPanes(bar);
}

void CMainFrame::InstallFind() {
    findBar_->SetSearchesUnloaded(TreeFinder::LoadUnloadedOption());
    connect(findBar_->UnloadedBox(), &QCheckBox::toggled, this, &TreeFinder::SaveUnloadedOption);
    findCount_ = new QLabel(statusBar());
    findCount_->setObjectName(QStringLiteral("findCount"));
    findCount_->setTextFormat(Qt::PlainText);
    findCount_->hide();
    statusBar()->addWidget(findCount_);
    TreeFinder* finder = &view_->Finder();
    connect(findBar_, &FindBar::Changed, finder, &TreeFinder::Find);
    connect(findBar_, &FindBar::Started, this,
            [this, finder] { finder->Prepare(findBar_->SearchesUnloaded()); });
    connect(finder, &TreeFinder::CountChanged, this, [this](const QString& text) {
        findCount_->setText(text);
        findCount_->setVisible(!text.isEmpty());
    });
    connect(findBar_, &FindBar::Done, this, [this] { view_->setFocus(Qt::ShortcutFocusReason); });
}

void CMainFrame::InstallFrameHandlers() {
    commands_->SetHandler(Effect::Find, [this] { findBar_->Start(); });
    commands_->SetHandler(Effect::Exit, [this] { close(); });
    commands_->SetHandler(Effect::ToggleToolbar, [this] {
        toolBar_->setVisible(commands_->Action(cmd::kViewToolbar)->isChecked());
    });
    commands_->SetHandler(Effect::ToggleStatusBar, [this] {
        statusBar()->setVisible(commands_->Action(cmd::kViewStatusBar)->isChecked());
    });
    commands_->SetHandler(Effect::About, [this] {
        AboutBox about(this);
        about.exec();
    });
    commands_->SetHandler(Effect::HelpTopics, [] { session::HelpManual::Open("index.html"); });
    commands_->SetHandler(Effect::HelpIndex, [] { session::HelpManual::Open("keys.html"); });
    commands_->SetHandler(Effect::Print, [this] { PrintCatalog(); });
    commands_->SetHandler(Effect::PurchaseLog, [this] { ShowPurchaseLog(); });
    commands_->SetHandler(Effect::PrintSetup, [this] {
        QPageSetupDialog setup(&printer(), this);
        setup.exec();
    });
    // Ctrl+O was never given anything to open: the key is taken, and idle.
    commands_->SetHandler(Effect::Open, [] {});
}

QPrinter& CMainFrame::printer() {
    if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}

void CMainFrame::PrintCatalog() {
    QPrintDialog dialog(&printer(), this);
    dialog.setWindowTitle(QStringLiteral("Print"));
    if (dialog.exec() != QDialog::Accepted) return;
    if (TreePrinter(*view_).Print(printer()) == 0)
        platform::CurrentPrompt().Message(
            "The catalog could not be printed: the printer did not accept it.");
}

void CMainFrame::PrintText(const PrintedText& text) {
    QPrintDialog dialog(&printer(), this);
    dialog.setWindowTitle(QStringLiteral("Print"));
    if (dialog.exec() != QDialog::Accepted) return;
    if (TransactionPrinter::Print(printer(), text) == 0)
        platform::CurrentPrompt().Message(
            "The transactions could not be printed: the printer did not accept them.");
}

void CMainFrame::ShowPurchaseLog() {
    std::vector<purchase::TransferRecord> records;
    std::string error;
    if (purchase::TransferRecords::ReadAll(purchase::TransferRecords::Path(), records, &error) ==
        platform::StringArrayRead::kFailed) {
        platform::CurrentPrompt().Message("The transaction log could not be read. " + error);
        return;
    }
    TransactionLogDialog dialog(
        std::move(records), [this](const PrintedText& text) { PrintText(text); }, this);
    dialog.exec();
}

void CMainFrame::UpdateCommands() {
    commands_->UpdateEnabled(
        [this](catalog::CatalogCommand rule) { return view_->RuleAllows(rule); });
    commands_->Action(cmd::kViewToolbar)->setChecked(toolBar_->isVisible() || !isVisible());
    commands_->Action(cmd::kViewColumns)->setChecked(view_->ColumnsShown());
    commands_->Action(cmd::kCatalogOrder)->setEnabled(!view_->InCatalogOrder());
    commands_->Action(cmd::kUndo)->setEnabled(view_->Editor().CanUndo());
    commands_->Action(cmd::kRedo)->setEnabled(view_->Editor().CanRedo());
    panes_->SetSelectedKind(view_->SelectedKind());
}

int CMainFrame::ContextMenuId() const {
    using K = catalog::SelectionKind;
    switch (view_->SelectedKind()) {
        case K::Site:
            return cmd::kMenuSite;
        case K::SiteFile:
            return cmd::kMenuSiteFile;
        case K::SiteDirectory:
            return cmd::kMenuSiteDir;
        case K::MapFile:
            return cmd::kMenuMapFile;
        case K::CatalogItem:
            break;
    }
    return cmd::kMenuCatalog;
}

QMenu* CMainFrame::BuildContextMenu() {
    UpdateCommands();
    auto* menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("contextMenu%1").arg(ContextMenuId()));
    for (int id : ContextMenuIds(ContextMenuId())) menu->addAction(commands_->Action(id));
    return menu;
}

QPoint CMainFrame::KeyboardMenuPosition() const {
    return view_->viewport()->mapToGlobal(QPoint(5, 5));
}

void CMainFrame::ShowContextMenu(const QPoint* globalPos) {
    // Owned here, not deleted on close: the chosen command runs inside
    // exec() and may wait in a nested event loop (a listing), where a
    // deferred delete of the menu would pull it out from under exec().
    std::unique_ptr<QMenu> menu(BuildContextMenu());
    menu->exec(globalPos ? *globalPos : KeyboardMenuPosition());
}

void CMainFrame::contextMenuEvent(QContextMenuEvent* event) {
    if (event->reason() == QContextMenuEvent::Keyboard) {
        ShowContextMenu(nullptr);
    } else {
        QPoint at = event->globalPos();
        ShowContextMenu(&at);
    }
    event->accept();
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F10 && (key->modifiers() & Qt::ShiftModifier)) {
            ShowContextMenu(nullptr);
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    if (view_->NetworkBusy()) {
        // A listing or fetch waits on the network further down the call
        // stack; the tree cannot go while it does. End them, close after.
        closeWhenIdle_ = true;
        view_->AbortNetwork();
        event->ignore();
        return;
    }
    // Kept before the exit check, which may let the catalog go.
    if (!closing_) WindowLayoutKeeper::Save(*this, *view_);
    if (!closing_ && !view_->CloseCatalog()) {
        event->ignore();
        return;
    }
    closing_ = true;
    event->accept();
}

}  // namespace ui
