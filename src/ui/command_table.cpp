// The table itself and the actions built from it. Texts are the program's
// own; where a command had no prompt of its own we wrote one in the same
// voice.
#include "ui/command_table.h"

#include <QAction>
#include <QWidget>

#include "ui/command_ids.h"
#include "ui/tool_images.h"

namespace ui {
namespace {

using K = QKeySequence;

const char* const kSavePrompt = "Save the catalog to its data files.";
const char* const kNewFolderPrompt = "Add a new folder below the selected item.";
const char* const kPropertiesPrompt = "Show the details of the selected item.";
const char* const kAddPrompt = "Add an item to the tree.";
const char* const kEditPrompt = "Change the selected item.";
const char* const kDeletePrompt = "Delete the selected item.";
const char* const kDownloadPrompt = "Download the selected file.";
const char* const kUploadPrompt = "Press this to upload a file to a FTP site.";
const char* const kNewSitePrompt = "Add a new FTP site.";
const char* const kCloseSitePrompt = "Close the connection to the FTP site of the selection.";

// One row per command: id, menu text, prompt, tool tip, effect, rule, keys, image.
// clang-format off
std::vector<CommandDef> BuildDefs() {
    using E = Effect;
    using R = catalog::CatalogCommand;
    using I = ToolImage;
    return {
        {cmd::kNewFolderMenu, "&New Folder", kNewFolderPrompt, "", E::NewFolder, R::NewFolder, {}},
        {cmd::kNewFolderTool, "", kNewFolderPrompt, "New Folder", E::NewFolder, R::NewFolder, {}, I::NewFolder},
        {cmd::kNewFolderPopup, "&New Folder", kNewFolderPrompt, "", E::NewFolder, R::NewFolder, {}},
        {cmd::kSaveMenu, "&Save", kSavePrompt, "", E::Save, R::Always, {}},
        {cmd::kSave, "", kSavePrompt, "Save", E::Save, R::Always, {K(Qt::CTRL | Qt::Key_S)}, I::Save},
        {cmd::kExit, "E&xit", "Quit Internet Ambit.", "", E::Exit, R::Always, {}},
        {cmd::kUndo, "&Undo", "Undo the last change.", "", E::Undo, R::Always, {K(Qt::CTRL | Qt::Key_Z), K(Qt::ALT | Qt::Key_Backspace)}},
        {cmd::kRedo, "&Redo", "Make the change that was undone again.", "", E::Redo, R::Always, {K(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}},
        {cmd::kFind, "&Find...", "Find items by a piece of their name or description.", "", E::Find, R::Always, {K(Qt::CTRL | Qt::Key_F)}},
        {cmd::kCut, "Cu&t", "Cut the selection to the clipboard.", "", E::None, R::Always, {K(Qt::CTRL | Qt::Key_X), K(Qt::SHIFT | Qt::Key_Delete)}},
        {cmd::kCopy, "&Copy", "Copy the selection to the clipboard.", "", E::None, R::Always, {K(Qt::CTRL | Qt::Key_C), K(Qt::CTRL | Qt::Key_Insert)}},
        {cmd::kPaste, "&Paste", "Insert the clipboard's contents.", "", E::None, R::Always, {K(Qt::CTRL | Qt::Key_V), K(Qt::SHIFT | Qt::Key_Insert)}},
        {cmd::kViewToolbar, "&Toolbar", "Show or hide the toolbar.", "", E::ToggleToolbar, R::Always, {}},
        {cmd::kViewStatusBar, "&Status Bar", "Show or hide the status bar.", "", E::ToggleStatusBar, R::Always, {}},
        {cmd::kViewColumns, "&Columns", "Show size, date, price and host beside the names.", "", E::ToggleColumns, R::Always, {}},
        {cmd::kCatalogOrder, "Catalog &Order", "Show the items in the catalog's own order.", "", E::CatalogOrder, R::Always, {}},
        {cmd::kTransferLog, "T&ransfer Log", "Show the files you have transferred.", "", E::TransferLog, R::Always, {}},
        {cmd::kTransferLogKey, "", "Show the files you have transferred.", "", E::TransferLog, R::Always, {K(Qt::CTRL | Qt::Key_L)}},
        {cmd::kPurchaseLog, "&Purchase Log", "Show the files you have bought.", "", E::PurchaseLog, R::Always, {}},
        {cmd::kOptions, "&Options", "Change your e-mail address, download directory and map server.", "", E::Options, R::Always, {}},
        {cmd::kItemPropertiesMenu, "Item &Properties", kPropertiesPrompt, "", E::ItemProperties, R::ItemProperties, {}},
        {cmd::kItemPropertiesTool, "", kPropertiesPrompt, "Item Properties", E::ItemProperties, R::ItemProperties, {}, I::Properties},
        {cmd::kPropertiesPopupItem, "&Properties", kPropertiesPrompt, "", E::ItemProperties, R::ItemProperties, {}},
        {cmd::kPropertiesPopupSite, "&Properties", kPropertiesPrompt, "", E::ItemProperties, R::ItemProperties, {}},
        {cmd::kItemProperties2, "", kPropertiesPrompt, "", E::ItemProperties, R::ItemProperties, {}},
        {cmd::kItemProperties3, "", kPropertiesPrompt, "", E::ItemProperties, R::ItemProperties, {}},
        {cmd::kItemProperties4, "", kPropertiesPrompt, "", E::ItemProperties, R::ItemProperties, {}},
        {cmd::kAddMenu, "&Add", kAddPrompt, "", E::AddItem, R::Add, {K(Qt::Key_Insert)}},
        {cmd::kAddTool, "", kAddPrompt, "Add", E::AddChooser, R::Add, {}, I::Add},
        {cmd::kAddPopup, "&Add", kAddPrompt, "", E::AddChooser, R::Add, {}},
        {cmd::kAddKey, "", kAddPrompt, "", E::AddChooser, R::Add, {K(Qt::CTRL | Qt::Key_N)}},
        {cmd::kEditMenu, "&Edit ", kEditPrompt, "", E::EditItem, R::Edit, {}},
        {cmd::kEditTool, "", kEditPrompt, "Edit", E::EditItem, R::Edit, {}, I::Edit},
        {cmd::kEditPopup, "&Edit", kEditPrompt, "", E::EditItem, R::Edit, {}},
        {cmd::kDeleteMenu, "De&lete", kDeletePrompt, "", E::DeleteItem, R::Delete, {}},
        {cmd::kDeleteTool, "", kDeletePrompt, "Delete", E::DeleteItem, R::Delete, {}, I::Delete},
        {cmd::kDeletePopup, "&Delete", kDeletePrompt, "", E::DeleteItem, R::Delete, {}},
        {cmd::kDeleteKey, "", kDeletePrompt, "", E::DeleteItem, R::Delete, {K(Qt::Key_Delete)}},
        {cmd::kDownloadTool, "", kDownloadPrompt, "Download", E::Download, R::Download, {}, I::Download},
        {cmd::kDownloadMenu, "&Download", kDownloadPrompt, "", E::Download, R::Download, {}},
        {cmd::kDownloadCatalogItem, "Down&load", kDownloadPrompt, "", E::DownloadCatalogItem, R::Download, {}},
        {cmd::kDownloadSiteFile, "&Download", kDownloadPrompt, "", E::DownloadSiteFile, R::Download, {}},
        {cmd::kUploadMenu, "&Upload", kUploadPrompt, "", E::Upload, R::Upload, {}},
        {cmd::kUploadTool, "", kUploadPrompt, "Upload", E::Upload, R::Upload, {}, I::Upload},
        {cmd::kUploadFile, "&Upload File", kUploadPrompt, "", E::Upload, R::UploadFile, {}},
        {cmd::kResumeTransfer, "&Resume Transfer", "Resume purchases that were interrupted.", "", E::ResumeTransfer, R::Always, {}},
        {cmd::kAddFtpServer, "Add &FTP Server", kNewSitePrompt, "", E::NewFtpSite, R::AddFtpServer, {}},
        {cmd::kNewFtpSiteTool, "", kNewSitePrompt, "New FTP site", E::NewFtpSite, R::NewFtpSite, {}, I::NewSite},
        {cmd::kUpdateMapFile, "Update &Map File", "Get the newest catalog from the map server.", "", E::FetchFirstDataFile, R::FetchMapFile, {}},
        {cmd::kCloseSiteMenu, "&Close Site", kCloseSitePrompt, "", E::CloseSite, R::CloseSite, {}},
        {cmd::kCloseSitePopup, "&Close Site", kCloseSitePrompt, "", E::CloseSite, R::CloseSite, {}},
        {cmd::kOpenSite, "&Open Site", "Connect to the selected FTP site and list its files.", "", E::OpenSite, R::OpenSite, {}},
        {cmd::kRefresh, "&Refresh", "List the selected directory again.", "", E::Refresh, R::Refresh, {K(Qt::Key_F5)}},
        {cmd::kMapInfo, "&Map Info", "List the map files merged into the catalog.", "", E::MapInfo, R::Always, {}},
        {cmd::kMergeMapFile, "&Merge ", "Merge the selected map file into the catalog.", "", E::MergeMapFile, R::Always, {}},
        {cmd::kUpdateMapFileItem, "&Update", "Get a new copy of the selected map file.", "", E::UpdateMapFileItem, R::UpdateMapFile, {}},
        {cmd::kDeleteMapFile, "&Delete", kDeletePrompt, "", E::DeleteItem, R::Delete, {}},
        {cmd::kAddMapFile, "&Add", "Get a map file from the map server.", "", E::AddMapFile, R::Add, {}},
        {cmd::kNewDataFileForItem, "&Get New Data File", "Gets a new datafile for the selected item.", "", E::NewDataFileForItem, R::GetNewDataFile, {}},
        {cmd::kAddMapServer, "Add a &Server", "Adds a new server (.adf)", "", E::AddMapServer, R::AddServer, {}},
        {cmd::kActivate, "", "Open the selected item.", "", E::Activate, R::Always, {K(Qt::Key_Return), K(Qt::Key_Enter)}},
        {cmd::kHelpIndex, "", "Open the user manual's index.", "", E::HelpIndex, R::Always, {K(Qt::Key_F1)}},
        {cmd::kHelpTopics, "&Help Topics", "Open the user manual.", "", E::HelpTopics, R::Always, {}},
        {cmd::kAbout, "&About Internet Ambit", "Show the program's version and web address.", "", E::About, R::Always, {}},
        {cmd::kOpen, "", "", "", E::Open, R::Always, {K(Qt::CTRL | Qt::Key_O)}},
        {cmd::kPrint, "", "Print the catalog tree.", "", E::Print, R::Always, {K(Qt::CTRL | Qt::Key_P)}},
        {cmd::kPrintDirect, "", "Print the catalog tree.", "", E::Print, R::Always, {}},
        {cmd::kPrintPreview, "", "Print the catalog tree.", "", E::Print, R::Always, {}},
        {cmd::kPrintSetup, "", "Choose a printer.", "", E::PrintSetup, R::Always, {}},
        {cmd::kNextPane, "", "", "", E::NextPane, R::Always, {K(Qt::Key_F6)}},
        {cmd::kPrevPane, "", "", "", E::NextPane, R::Always, {K(Qt::SHIFT | Qt::Key_F6)}},
    };
}
// clang-format on

}  // namespace

const std::vector<CommandDef>& CommandDefs() {
    static const std::vector<CommandDef> defs = BuildDefs();
    return defs;
}

const CommandDef* FindCommand(int id) {
    for (const CommandDef& s : CommandDefs())
        if (s.id == id) return &s;
    return nullptr;
}

const std::vector<int>& ContextMenuIds(int menuId) {
    static const std::map<int, std::vector<int>> menus = {
        {cmd::kMenuSite,
         {cmd::kOpenSite, cmd::kCloseSitePopup, cmd::kUploadFile, cmd::kPropertiesPopupSite}},
        {cmd::kMenuSiteFile, {cmd::kUploadFile, cmd::kDownloadSiteFile, cmd::kPropertiesPopupSite}},
        {cmd::kMenuSiteDir, {cmd::kUploadFile, cmd::kRefresh}},
        {cmd::kMenuMapFile,
         {cmd::kMergeMapFile, cmd::kUpdateMapFileItem, cmd::kDeleteMapFile, cmd::kAddMapFile}},
        {cmd::kMenuCatalog,
         {cmd::kDownloadCatalogItem, cmd::kPropertiesPopupItem, cmd::kAddPopup, cmd::kEditPopup,
          cmd::kDeletePopup, cmd::kNewFolderPopup}},
    };
    static const std::vector<int> none;
    auto it = menus.find(menuId);
    return it == menus.end() ? none : it->second;
}

const std::vector<int>& ToolbarIds() {
    static const std::vector<int> ids = {cmd::kSave,
                                         0,
                                         cmd::kNewFolderTool,
                                         cmd::kAddTool,
                                         cmd::kDeleteTool,
                                         cmd::kEditTool,
                                         cmd::kItemPropertiesTool,
                                         0,
                                         cmd::kUploadTool,
                                         cmd::kDownloadTool,
                                         0,
                                         cmd::kNewFtpSiteTool};
    return ids;
}

CommandTable::CommandTable(QWidget* window) : QObject(window) {
    for (const CommandDef& def : CommandDefs()) {
        auto* action = new QAction(this);
        QString text = QString::fromUtf8(def.text);
        if (text.isEmpty()) text = QString::fromUtf8(def.tip);
        action->setText(text);
        action->setStatusTip(QString::fromUtf8(def.prompt));
        if (*def.tip) action->setToolTip(QString::fromUtf8(def.tip));
        action->setData(def.id);
        action->setObjectName(QStringLiteral("cmd%1").arg(def.id));
        if (def.image != ToolImage::None) action->setIcon(ToolIcon(def.image));
        if (!def.keys.empty()) {
            action->setShortcuts(QList<QKeySequence>(def.keys.begin(), def.keys.end()));
            // Accelerators belong to the whole window, not to whichever
            // widget happens to hold the focus.
            action->setShortcutContext(Qt::WindowShortcut);
            window->addAction(action);
        }
        action->setEnabled(false);
        connect(action, &QAction::triggered, this, [this, id = def.id] { Run(id); });
        actions_.insert(def.id, action);
        all_.append(action);
    }
    // A menu command whose key belongs to a key-only twin of the same effect
    // shows that key after a tab, as menus show shortcuts, without binding
    // it a second time (which would make the key ambiguous).
    for (const CommandDef& def : CommandDefs()) {
        if (!*def.text || !def.keys.empty() || def.effect == Effect::None) continue;
        for (const CommandDef& twin : CommandDefs()) {
            if (twin.effect != def.effect || twin.keys.empty()) continue;
            QAction* action = actions_.value(def.id);
            action->setText(action->text() + QLatin1Char('\t') +
                            twin.keys.front().toString(QKeySequence::NativeText));
            break;
        }
    }
}

QAction* CommandTable::Action(int id) const { return actions_.value(id, nullptr); }

void CommandTable::SetHandler(Effect effect, std::function<void()> handler) {
    handlers_[effect] = std::move(handler);
}

bool CommandTable::HasHandler(Effect effect) const { return handlers_.count(effect) != 0; }

void CommandTable::UpdateEnabled(const std::function<bool(catalog::CatalogCommand)>& allows) {
    for (const CommandDef& def : CommandDefs()) {
        bool enabled = HasHandler(def.effect) &&
                       (def.rule == catalog::CatalogCommand::Always || allows(def.rule));
        actions_.value(def.id)->setEnabled(enabled);
    }
}

void CommandTable::Run(int id) {
    const CommandDef* def = FindCommand(id);
    if (!def) return;
    auto it = handlers_.find(def->effect);
    // The action's enabled state may be stale if the selection changed
    // since the last update; the handlers re-check their target themselves.
    if (it == handlers_.end()) return;
    it->second();
    emit Ran(id);
}

}  // namespace ui
