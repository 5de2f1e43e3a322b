// Editing the catalog by hand: New Folder, Add (with its chooser), Add FTP
// Server, Edit, Delete and drops in the tree, each through its dialog and
// each recorded on an undo stack. The editor keeps the catalog's changed
// flag as edits, undo and redo require: every change the user makes sets
// it, except renaming a plain folder and editing a folder entry, and
// undoing back to the last save clears it.
//
// Undo steps hold tree items, so the stack is emptied when something else
// destroys catalog items (removing a merged file's entries, a reload); a
// change by anything else also means the saved state can no longer be
// reached by undoing.
#pragma once

#include <QObject>
#include <QUndoStack>
#include <cstdint>
#include <functional>
#include <string>

#include "ui/new_ftp_site_dialog.h"

namespace catalog {
class Catalog;
class TreeItem;
}  // namespace catalog
namespace session {
class CatalogSession;
}  // namespace session

namespace ui {

class CatalogEditCommand;

class CatalogEditor : public QObject {
    Q_OBJECT
public:
    // What the editor needs of the window; each may be left empty.
    struct Hooks {
        std::function<catalog::TreeItem*()> selected;       // the caret item
        std::function<void(catalog::TreeItem*)> select;     // make it the caret item
        std::function<void(catalog::TreeItem*)> openSite;   // connect, list and expand a new site
        std::function<void(catalog::TreeItem*)> closeSite;  // before an open site is deleted
        std::function<void()> fetchFirstDataFile;           // the chooser's "&Map Server"
    };

    // Dialogs open over `dialogParent`.
    CatalogEditor(session::CatalogSession& session, QWidget* dialogParent);
    ~CatalogEditor() override;

    void SetHooks(Hooks hooks) { hooks_ = std::move(hooks); }
    QUndoStack& UndoStack() { return stack_; }

    // The commands, on the selected item.
    void NewFolder();
    void ChooseAdd();
    void AddItem();
    void AddFtpSite();
    void Edit();
    void Delete();
    // The site edit (New FTP Site dialog) for an FTP site; also what Item
    // Properties shows for one. True when the site was changed.
    bool EditSite(catalog::TreeItem* site);
    // A drop of `dragged` onto `target` (null: onto no item). True when the
    // drop was taken, even if it moved nothing; false when refused.
    bool Drop(catalog::TreeItem* dragged, catalog::TreeItem* target);

    bool CanUndo();
    bool CanRedo();
    void Undo();
    void Redo();
    // The catalog was saved: this is the state undo returns to.
    void Saved();

signals:
    // Something was edited, undone or redone.
    void Edited();

private:
    struct LastItem {
        std::string address, pathDirectory, downloadDir;
    };

    catalog::Catalog& Catalog();
    catalog::TreeItem* Selected() const;
    void Select(catalog::TreeItem* item);
    // Empties the stack when items it holds may be gone; forgets the saved
    // state when the tree changed behind the editor's back.
    void Sync();
    void Push(CatalogEditCommand* command);
    void Step(bool undo);
    void EditItemFields(catalog::TreeItem* item);
    void EditPlainFolder(catalog::TreeItem* item);
    void EditFolderEntry(catalog::TreeItem* item);
    void DropSiteFile(catalog::TreeItem* file, catalog::TreeItem* parent);

    session::CatalogSession& session_;
    QWidget* dialogParent_;
    Hooks hooks_;
    QUndoStack stack_;
    std::uint64_t seenRevision_ = 0;
    std::uint64_t seenDestructions_ = 0;
    LastItem lastItem_;
};

}  // namespace ui
