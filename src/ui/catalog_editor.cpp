#include "ui/catalog_editor.h"

#include <QPushButton>
#include <filesystem>

#include "catalog/catalog.h"
#include "catalog/command_rules.h"
#include "catalog/edit_rules.h"
#include "ftpsites/site_paths.h"
#include "platform/prompt.h"
#include "session/catalog_session.h"
#include "store/scramble.h"
#include "ui/add_item_chooser.h"
#include "ui/catalog_edit_command.h"
#include "ui/folder_name_dialog.h"
#include "ui/item_config_dialog.h"
#include "ui/server_config_dialog.h"

namespace ui {

using catalog::CatalogCommand;
using catalog::CEntry;
using catalog::TreeItem;

CatalogEditor::CatalogEditor(session::CatalogSession& session, QWidget* dialogParent)
    : QObject(dialogParent), session_(session), dialogParent_(dialogParent) {
    seenRevision_ = Catalog().Tree().Revision();
    seenDestructions_ = Catalog().Tree().Destructions();
}

CatalogEditor::~CatalogEditor() = default;

catalog::Catalog& CatalogEditor::Catalog() { return session_.Catalog(); }

TreeItem* CatalogEditor::Selected() const { return hooks_.selected ? hooks_.selected() : nullptr; }

void CatalogEditor::Select(TreeItem* item) {
    if (hooks_.select && item && item->IsWithin(Catalog().Tree().Top())) hooks_.select(item);
}

void CatalogEditor::Sync() {
    const catalog::CatalogTree& tree = Catalog().Tree();
    if (tree.Destructions() != seenDestructions_) stack_.clear();
    if (tree.Revision() != seenRevision_) stack_.resetClean();
    seenRevision_ = tree.Revision();
    seenDestructions_ = tree.Destructions();
}

void CatalogEditor::Push(CatalogEditCommand* command) {
    const bool marks = command->MarksChanged();
    stack_.push(command);
    if (marks) Catalog().SetChanged();
    seenRevision_ = Catalog().Tree().Revision();
    emit Edited();
}

void CatalogEditor::Saved() {
    Sync();
    stack_.setClean();
}

bool CatalogEditor::CanUndo() {
    Sync();
    return stack_.canUndo();
}

bool CatalogEditor::CanRedo() {
    Sync();
    return stack_.canRedo();
}

void CatalogEditor::Undo() { Step(true); }

void CatalogEditor::Redo() { Step(false); }

void CatalogEditor::Step(bool undo) {
    Sync();
    if (undo ? !stack_.canUndo() : !stack_.canRedo()) return;
    undo ? stack_.undo() : stack_.redo();
    const auto* command =
        static_cast<const CatalogEditCommand*>(stack_.command(stack_.index() - (undo ? 0 : 1)));
    if (stack_.isClean())
        Catalog().SetChanged(false);
    else if (command->MarksChanged())
        Catalog().SetChanged();
    seenRevision_ = Catalog().Tree().Revision();
    Select(command->Item());
    emit Edited();
}

void CatalogEditor::NewFolder() {
    if (!catalog::IsCommandEnabled(CatalogCommand::NewFolder, Selected())) return;
    FolderNameDialog dialog(QStringLiteral("Add Folder"), std::string(), dialogParent_);
    if (dialog.exec() != QDialog::Accepted) return;
    // The dialog's event loop may have served a listing: ask again.
    TreeItem* selected = Selected();
    if (!catalog::IsCommandEnabled(CatalogCommand::NewFolder, selected)) return;
    Sync();
    catalog::CatalogTree& tree = Catalog().Tree();
    TreeItem* item =
        tree.InsertItem(catalog::NewFolderParent(tree, selected), dialog.Name(), nullptr);
    Push(CatalogEditCommand::Inserted(tree, item, QStringLiteral("New Folder")));
    Select(item);
}

void CatalogEditor::ChooseAdd() {
    AddItemChooser chooser(dialogParent_);
    switch (chooser.exec()) {
        case AddItemChooser::File:
            AddItem();
            break;
        case AddItemChooser::FtpServer:
            AddFtpSite();
            break;
        case AddItemChooser::MapServer:
            if (hooks_.fetchFirstDataFile) hooks_.fetchFirstDataFile();
            break;
        default:
            break;
    }
}

void CatalogEditor::AddItem() {
    if (!catalog::IsCommandEnabled(CatalogCommand::Add, Selected())) return;
    const bool remember = session_.Settings().lastItem != 0;
    CEntry prefill;
    if (remember) {
        prefill.Address = lastItem_.address;
        prefill.Path = lastItem_.pathDirectory;
        prefill.DownloadDir = lastItem_.downloadDir;
    }
    ItemConfigDialog dialog(prefill, dialogParent_);
    if (dialog.exec() != QDialog::Accepted) return;
    TreeItem* selected = Selected();
    if (!catalog::IsCommandEnabled(CatalogCommand::Add, selected)) return;
    CEntry entry = dialog.Fields();
    if (remember)
        lastItem_ = {entry.Address, catalog::PathDirectory(entry.Path), entry.DownloadDir};
    entry.DownloadDir = catalog::StoredDownloadDir(entry.DownloadDir);

    Sync();
    catalog::CatalogTree& tree = Catalog().Tree();
    const std::string name = entry.Name;
    TreeItem* item = tree.AppendItem(catalog::AddItemParent(tree, selected), name,
                                     std::make_unique<CEntry>(std::move(entry)),
                                     catalog::kImageItem, catalog::kImageItem);
    tree.UpdateLocations(item);
    Push(CatalogEditCommand::Inserted(tree, item, QStringLiteral("Add")));
    Select(item);
}

namespace {

// The entry fields a site dialog writes; false when the password cannot
// be stored.
bool WriteSiteFields(const SiteFields& f, CEntry& e) {
    std::string scrambled;
    if (!store::TryScramble(f.password, scrambled)) return false;
    e.Name = f.name;
    e.Address = f.address;
    e.Path = f.directory;
    e.DownloadDir = f.user;
    e.Price = scrambled;
    e.Location = std::string(catalog::kFtpSitesLocation) + f.name;
    e.Description = catalog::kFtpSiteDescription;
    return true;
}

}  // namespace

void CatalogEditor::AddFtpSite() {
    SiteFields defaults{{}, {}, "/pub", "anonymous", session_.Settings().email};
    NewFtpSiteDialog dialog(defaults, true, dialogParent_);
    const int result = dialog.exec();
    if (result != QDialog::Accepted && result != NewFtpSiteDialog::kConnect) return;
    CEntry entry;
    if (!WriteSiteFields(dialog.Fields(), entry)) return;

    Sync();
    catalog::CatalogTree& tree = Catalog().Tree();
    // The remembered parent may be anywhere; a site goes below FTP Sites.
    tree.ForgetRememberedParent();
    TreeItem* item = tree.InsertEntry(std::move(entry));
    Push(CatalogEditCommand::Inserted(tree, item, QStringLiteral("Add FTP Server")));
    Select(item);
    if (result == NewFtpSiteDialog::kConnect && hooks_.openSite) hooks_.openSite(item);
}

bool CatalogEditor::EditSite(TreeItem* site) {
    if (!site || !site->HasEntry() || !site->Entry()->IsFtpSite()) return false;
    const CEntry& e = *site->Entry();
    SiteFields fields{e.Name, e.Address, e.Path, e.DownloadDir, {}};
    // A password that was never scrambled by us shows as empty.
    store::TryUnscramble(e.Price, fields.password);
    NewFtpSiteDialog dialog(fields, false, dialogParent_);
    const int result = dialog.exec();
    // Connect only ends the edit here; the site is opened as before.
    if (result != QDialog::Accepted && result != NewFtpSiteDialog::kConnect) return false;
    if (!site->IsWithin(Catalog().Tree().Top()) || !site->HasEntry()) return false;
    CatalogEditCommand::ItemState after = CatalogEditCommand::StateOf(site);
    if (!WriteSiteFields(dialog.Fields(), after.fields)) return false;
    after.text = after.fields.Name;
    Sync();
    Push(CatalogEditCommand::Edit(Catalog().Tree(), site, std::move(after),
                                  QStringLiteral("Edit FTP Site"), true));
    return true;
}

void CatalogEditor::Edit() {
    TreeItem* item = Selected();
    if (!catalog::IsCommandEnabled(CatalogCommand::Edit, item)) return;
    const CEntry* e = item->Entry();
    if (!e) return EditPlainFolder(item);
    switch (e->Kind()) {
        case catalog::EntryKind::Folder:
            return EditFolderEntry(item);
        case catalog::EntryKind::FtpSite:
            EditSite(item);
            return;
        case catalog::EntryKind::FtpDir:
        case catalog::EntryKind::FtpFile:
            return;
        default:
            return EditItemFields(item);
    }
}

void CatalogEditor::EditPlainFolder(TreeItem* item) {
    FolderNameDialog dialog(QStringLiteral("Change Folder Name"), item->Text(), dialogParent_);
    if (dialog.exec() != QDialog::Accepted || Selected() != item) return;
    CatalogEditCommand::ItemState after = CatalogEditCommand::StateOf(item);
    after.text = dialog.Name();
    Sync();
    Push(CatalogEditCommand::Edit(Catalog().Tree(), item, std::move(after),
                                  QStringLiteral("Rename Folder"), false));
}

void CatalogEditor::EditFolderEntry(TreeItem* item) {
    ServerConfigDialog dialog(item->Entry()->Name, item->Entry()->Address, dialogParent_);
    if (dialog.exec() != QDialog::Accepted || Selected() != item || !item->HasEntry()) return;
    CatalogEditCommand::ItemState after = CatalogEditCommand::StateOf(item);
    after.fields.Name = dialog.Name();
    after.fields.Address = dialog.Address();
    Sync();
    Push(CatalogEditCommand::Edit(Catalog().Tree(), item, std::move(after),
                                  QStringLiteral("Edit Server"), false));
}

void CatalogEditor::EditItemFields(TreeItem* item) {
    ItemConfigDialog dialog(*item->Entry(), dialogParent_);
    if (dialog.exec() != QDialog::Accepted || Selected() != item || !item->HasEntry()) return;
    const CEntry typed = dialog.Fields();
    CatalogEditCommand::ItemState after = CatalogEditCommand::StateOf(item);
    CEntry& f = after.fields;
    f.Name = typed.Name;
    f.Address = typed.Address;
    f.Path = typed.Path;
    f.DownloadDir = catalog::StoredDownloadDir(typed.DownloadDir);
    f.Price = typed.Price;
    f.Description = typed.Description;
    f.Date = typed.Date;
    f.Size = typed.Size;
    after.text = f.Name;
    Sync();
    Push(CatalogEditCommand::Edit(Catalog().Tree(), item, std::move(after),
                                  QStringLiteral("Edit Item"), true));
}

void CatalogEditor::Delete() {
    TreeItem* item = Selected();
    if (!catalog::IsCommandEnabled(CatalogCommand::Delete, item)) return;
    if (session_.Settings().deleteConfirmation != 0) {
        std::string question = "Are you sure you want to delete %s?";
        question.replace(question.find("%s"), 2, item->Text());
        if (!platform::CurrentPrompt().AskYesNo(question)) return;
        // The question's event loop may have served a listing.
        if (Selected() != item) return;
    }
    Sync();
    catalog::CatalogTree& tree = Catalog().Tree();
    const CEntry* e = item->Entry();
    if (e && e->IsMapFile()) {
        // The file goes with the entry and cannot come back: not undoable.
        std::string file = catalog::MapFileToDelete(Catalog().DataDirectory(), e->DownloadDir);
        std::error_code ignored;
        if (!file.empty()) std::filesystem::remove(file, ignored);
        tree.DeleteSubtree(item, true);
        Catalog().SetChanged();
        Sync();
        emit Edited();
        return;
    }
    // A deleted site is kept closed, so undo brings back no live connection.
    if (e && e->IsFtpSite() && hooks_.closeSite) {
        hooks_.closeSite(item);
        if (!item->IsWithin(tree.Top())) return;
    }
    Push(CatalogEditCommand::Removal(tree, item, QStringLiteral("Delete")));
}

bool CatalogEditor::Drop(TreeItem* dragged, TreeItem* target) {
    catalog::CatalogTree& tree = Catalog().Tree();
    const catalog::DropPlan plan = catalog::PlanDrop(tree, dragged, target);
    if (plan.action == catalog::DropAction::Refused) return false;
    Sync();
    Catalog().SetChanged();
    switch (plan.action) {
        case catalog::DropAction::Move:
            Push(CatalogEditCommand::Move(tree, dragged, plan.parent, QStringLiteral("Move")));
            Select(dragged);
            break;
        case catalog::DropAction::CopySiteFile:
            DropSiteFile(dragged, plan.parent);
            break;
        default:
            emit Edited();
            break;
    }
    return true;
}

void CatalogEditor::DropSiteFile(TreeItem* file, TreeItem* parent) {
    CEntry entry = catalog::CatalogItemFromSiteFile(
        *file->Entry(), ftpsites::SiteRelativePath(file), session_.Settings().downloadDir);
    // A listed name can hold what a catalog item cannot keep.
    std::string problem = catalog::ColonProblem({{entry.Name, "name"}, {entry.Path, "path"}});
    if (problem.empty()) problem = catalog::NameProblem(entry.Name);
    if (!problem.empty()) {
        platform::CurrentPrompt().Message(problem);
        return;
    }
    catalog::CatalogTree& tree = Catalog().Tree();
    const std::string name = entry.Name;
    TreeItem* item = tree.AppendItem(parent, name, std::make_unique<CEntry>(std::move(entry)),
                                     catalog::kImageItem, catalog::kImageItem);
    tree.UpdateLocations(item);
    Push(CatalogEditCommand::Inserted(tree, item, QStringLiteral("Add Site File")));
    Select(item);
}

}  // namespace ui
