// The main window: menus, toolbar, status bar and the tree view, all built
// from the command table. It keeps every command's enabled state in step
// with the selection, shows the context menu for the selected kind (right
// click, Shift+F10 or the menu key) and runs the close check before it
// lets the program end.
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <memory>
#include <string>

#include "ui/splash_dialog.h"
#include "ui/transaction_printer.h"

class QLabel;
class QPrinter;
class QTimer;
class QMenu;
class QToolBar;

namespace ui {

class CClientView;
class CommandTable;
class FindBar;
class StatusPanes;

struct FrameOptions {
    std::string dataDirectory;                // absolute; where the catalog lives
    int splashMs = SplashDialog::kDefaultMs;  // 0: no splash
};

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    explicit CMainFrame(const FrameOptions& options, QWidget* parent = nullptr);
    ~CMainFrame() override;

    CClientView* View() const { return view_; }
    CommandTable& Commands() const { return *commands_; }
    StatusPanes& Panes() const { return *panes_; }
    FindBar& Find() const { return *findBar_; }
    // The status bar's count of what the find bar found.
    QLabel* FindCount() const { return findCount_; }
    QToolBar* ToolBar() const { return toolBar_; }

    // Brings every command's enabled state and the indicator up to date.
    void UpdateCommands();

    // The context menu resource for the selected kind.
    int ContextMenuId() const;
    // Builds the context menu for the current selection (caller owns it).
    QMenu* BuildContextMenu();
    // Shows it at a screen position (the keyboard position when null).
    void ShowContextMenu(const QPoint* globalPos);
    // Where a menu opened from the keyboard appears.
    QPoint KeyboardMenuPosition() const;

    // The printer of Print and Print Setup, kept for the session so the
    // choices of one print carry over to the next.
    QPrinter& printer();
    // Ctrl+P: the print dialog, then the tree as shown.
    void PrintCatalog();
    // The print dialog, then the purchase records' text.
    void PrintText(const PrintedText& text);
    // "Purchase Log": the Transaction Log over the transfer record file.
    void ShowPurchaseLog();

protected:
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildMenus();
    void BuildToolBar();
    void BuildStatusBar();
    void InstallFrameHandlers();
    void InstallFind();
    QMenu* AddMenu(QMenu* parent, const QString& title, std::initializer_list<int> ids);

    CommandTable* commands_;
    CClientView* view_;
    FindBar* findBar_ = nullptr;
    QLabel* findCount_ = nullptr;
    QToolBar* toolBar_ = nullptr;
    StatusPanes* panes_ = nullptr;
    QLabel* ready_ = nullptr;
    QTimer* updateSoon_ = nullptr;
    std::unique_ptr<QPrinter> printer_;
    bool closing_ = false;
    bool closeWhenIdle_ = false;
};

}  // namespace ui
