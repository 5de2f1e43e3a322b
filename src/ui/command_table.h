// The command table: every command id of the main window with its text, tool
// tip, status-bar prompt, keys, toolbar image and what it does. Menus, the
// toolbar, the accelerators and the context menus are all built from this
// one table, so an id can never mean two things in two places.
//
// What a command does is an Effect; the window installs a handler per
// effect. A command whose effect has no handler yet (its feature is not
// built) stays disabled, as do the Edit menu's commands, which never had one.
#pragma once

#include <QHash>
#include <QKeySequence>
#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <vector>

#include "catalog/command_rules.h"

class QAction;
class QWidget;

namespace ui {

enum class Effect {
    None,  // no handler ever: Cut, Copy, Paste
    Undo,
    Redo,
    Find,
    NewFolder,
    Save,
    Exit,
    ToggleToolbar,
    ToggleStatusBar,
    ToggleColumns,
    CatalogOrder,
    TransferLog,
    PurchaseLog,
    Options,
    ItemProperties,
    AddItem,     // Tools, Add: the Item Configuration dialog
    AddChooser,  // toolbar Add, popup Add, Ctrl+N: the Add Item chooser
    EditItem,
    DeleteItem,
    Download,  // dispatch by kind
    DownloadCatalogItem,
    DownloadSiteFile,
    Upload,
    ResumeTransfer,
    NewFtpSite,
    FetchFirstDataFile,
    CloseSite,
    OpenSite,
    Refresh,
    MergeMapFile,
    UpdateMapFileItem,
    AddMapFile,  // fetch a map file from the map server into MapFiles
    MapInfo,     // the "Map  Info:" dialog
    NewDataFileForItem,
    AddMapServer,
    Activate,
    HelpIndex,
    HelpTopics,
    About,
    Open,  // Ctrl+O: handled by doing nothing
    Print,
    PrintSetup,
    NextPane,  // F6 and Shift+F6: no handler, no effect
};

enum class ToolImage {
    None,
    Save,
    NewFolder,
    Add,
    Delete,
    Edit,
    Properties,
    Upload,
    Download,
    NewSite
};

struct CommandDef {
    int id;
    const char* text;    // menu text with its & mnemonic; "" when the id has no menu item
    const char* prompt;  // status-bar prompt (fly-by help)
    const char* tip;     // tool tip; "" when the id has no toolbar button
    Effect effect;
    catalog::CatalogCommand rule;  // the enable rule of the selection
    std::vector<QKeySequence> keys;
    ToolImage image = ToolImage::None;
};

// Every command id of the main window.
const std::vector<CommandDef>& CommandDefs();
const CommandDef* FindCommand(int id);

// The ids shown by each context menu, in menu order.
const std::vector<int>& ContextMenuIds(int menuId);

// The toolbar, left to right; 0 is a separator.
const std::vector<int>& ToolbarIds();

// One QAction per command id, owned by the table. Actions with keys are
// added to the window so their shortcuts work without a menu.
class CommandTable : public QObject {
    Q_OBJECT
public:
    explicit CommandTable(QWidget* window);

    QAction* Action(int id) const;
    const QList<QAction*>& AllActions() const { return all_; }

    // Installs what an effect does. Until then its commands are disabled.
    void SetHandler(Effect effect, std::function<void()> handler);
    bool HasHandler(Effect effect) const;

    // Enables every command from its handler and its rule; `allows` answers
    // whether a rule is met by the current selection.
    void UpdateEnabled(const std::function<bool(catalog::CatalogCommand)>& allows);

signals:
    // Emitted when a command with a handler has been run.
    void Ran(int id);

private:
    void Run(int id);

    QHash<int, QAction*> actions_;
    QList<QAction*> all_;
    std::map<Effect, std::function<void()>> handlers_;
};

}  // namespace ui
