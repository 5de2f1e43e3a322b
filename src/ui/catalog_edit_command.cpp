#include "ui/catalog_edit_command.h"

#include "catalog/catalog_tree.h"
#include "catalog/tree_item.h"

namespace ui {

using catalog::TreeItem;

CatalogEditCommand::CatalogEditCommand(Kind kind, catalog::CatalogTree& tree, TreeItem* item,
                                       const QString& text)
    : QUndoCommand(text), kind_(kind), tree_(tree), item_(item) {}

CatalogEditCommand::~CatalogEditCommand() = default;

CatalogEditCommand::ItemState CatalogEditCommand::StateOf(const TreeItem* item) {
    ItemState s;
    s.text = item->Text();
    s.hasEntry = item->HasEntry();
    if (s.hasEntry) s.fields = *item->Entry();
    return s;
}

CatalogEditCommand* CatalogEditCommand::Inserted(catalog::CatalogTree& tree, TreeItem* item,
                                                 const QString& text) {
    auto* c = new CatalogEditCommand(Kind::Insert, tree, item, text);
    c->skipRedo_ = true;
    return c;
}

CatalogEditCommand* CatalogEditCommand::Removal(catalog::CatalogTree& tree, TreeItem* item,
                                                const QString& text) {
    return new CatalogEditCommand(Kind::Remove, tree, item, text);
}

CatalogEditCommand* CatalogEditCommand::Move(catalog::CatalogTree& tree, TreeItem* item,
                                             TreeItem* newParent, const QString& text) {
    auto* c = new CatalogEditCommand(Kind::Move, tree, item, text);
    c->parent_ = item->Parent();
    c->row_ = item->Row();
    c->newParent_ = newParent;
    return c;
}

CatalogEditCommand* CatalogEditCommand::Edit(catalog::CatalogTree& tree, TreeItem* item,
                                             ItemState after, const QString& text,
                                             bool marksChanged) {
    auto* c = new CatalogEditCommand(Kind::Edit, tree, item, text);
    c->before_ = StateOf(item);
    c->after_ = std::move(after);
    c->marksChanged_ = marksChanged;
    return c;
}

void CatalogEditCommand::TakeOut() { held_ = tree_.TakeSubtree(item_, &parent_, &row_); }

void CatalogEditCommand::PutBack() {
    item_ = tree_.PutSubtree(parent_, row_, std::move(held_));
    // Its place may have changed since it was taken out (a renamed
    // ancestor); its entries follow.
    tree_.UpdateLocations(item_);
}

void CatalogEditCommand::Apply(const ItemState& state) {
    if (catalog::CEntry* e = item_->Entry(); e && state.hasEntry) {
        // An open site keeps its listing state in these; no dialog edits
        // them, so they stay as they are now.
        const bool site = e->IsFtpSite();
        const std::string size = e->Size, date = e->Date;
        const int listing = e->MapFileId;
        *e = state.fields;
        e->MapFileId = listing;
        if (site) {
            e->Size = size;
            e->Date = date;
        }
        tree_.EntryChanged(item_);
    }
    if (item_->Text() != state.text) {
        tree_.SetItemText(item_, state.text);
        tree_.UpdateLocations(item_);
    }
}

void CatalogEditCommand::redo() {
    if (skipRedo_) {
        skipRedo_ = false;
        return;
    }
    switch (kind_) {
        case Kind::Insert:
            PutBack();
            break;
        case Kind::Remove:
            TakeOut();
            break;
        case Kind::Move:
            tree_.MoveItem(item_, newParent_, catalog::CatalogTree::Placement::Last);
            tree_.UpdateLocations(item_);
            break;
        case Kind::Edit:
            Apply(after_);
            break;
    }
}

void CatalogEditCommand::undo() {
    switch (kind_) {
        case Kind::Insert:
            TakeOut();
            break;
        case Kind::Remove:
            PutBack();
            break;
        case Kind::Move:
            tree_.MoveItemToRow(item_, parent_, row_);
            tree_.UpdateLocations(item_);
            break;
        case Kind::Edit:
            Apply(before_);
            break;
    }
}

}  // namespace ui
