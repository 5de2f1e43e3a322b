// One undoable change of the catalog tree: an item put in, taken out,
// moved or edited. Items taken out are held, not destroyed, so that undo
// puts back the very same items with their whole subtrees and redo takes
// them out again; the tree ends up exactly as it was, saved files included.
// Commands hold item pointers: whoever runs them must make sure nothing
// else destroyed those items meanwhile (see CatalogTree::Destructions).
#pragma once

#include <QUndoCommand>
#include <memory>
#include <string>

#include "catalog/c_entry.h"

namespace catalog {
class CatalogTree;
class TreeItem;
}  // namespace catalog

namespace ui {

class CatalogEditCommand : public QUndoCommand {
public:
    // What an item shows and carries, as an edit changes it.
    struct ItemState {
        std::string text;
        bool hasEntry = false;
        catalog::CEntry fields;  // the texts and id; never a connection
    };
    static ItemState StateOf(const catalog::TreeItem* item);

    // `item` has just been put into the tree; the first redo does nothing.
    static CatalogEditCommand* Inserted(catalog::CatalogTree& tree, catalog::TreeItem* item,
                                        const QString& text);
    // Takes `item` with its subtree out of the tree.
    static CatalogEditCommand* Removal(catalog::CatalogTree& tree, catalog::TreeItem* item,
                                       const QString& text);
    // Moves `item` with its subtree to the end of `newParent`'s children.
    static CatalogEditCommand* Move(catalog::CatalogTree& tree, catalog::TreeItem* item,
                                    catalog::TreeItem* newParent, const QString& text);
    // Gives `item` the text and fields of `after`.
    static CatalogEditCommand* Edit(catalog::CatalogTree& tree, catalog::TreeItem* item,
                                    ItemState after, const QString& text, bool marksChanged);

    ~CatalogEditCommand() override;

    void undo() override;
    void redo() override;

    // Whether doing or undoing this sets the catalog's changed flag.
    bool MarksChanged() const { return marksChanged_; }
    // The item the command acts on (put back or moved by the last step).
    catalog::TreeItem* Item() const { return item_; }

private:
    enum class Kind { Insert, Remove, Move, Edit };
    CatalogEditCommand(Kind kind, catalog::CatalogTree& tree, catalog::TreeItem* item,
                       const QString& text);
    void TakeOut();
    void PutBack();
    void Apply(const ItemState& state);

    Kind kind_;
    catalog::CatalogTree& tree_;
    catalog::TreeItem* item_;
    std::unique_ptr<catalog::TreeItem> held_;  // while taken out
    catalog::TreeItem* parent_ = nullptr;      // where it was taken from / moved from
    int row_ = 0;
    catalog::TreeItem* newParent_ = nullptr;
    ItemState before_, after_;
    bool marksChanged_ = true;
    bool skipRedo_ = false;
};

}  // namespace ui
