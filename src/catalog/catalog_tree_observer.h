// What the catalog tree tells a view about its changes, in the order a Qt
// item model needs: every insertion, removal and move is announced before
// and after it happens, with rows of the parent as they are at that moment.
// `parent` is the tree's hidden top node for top-level items.
#pragma once

namespace catalog {

class TreeItem;

class CatalogTreeObserver {
public:
    virtual ~CatalogTreeObserver() = default;

    virtual void ItemsAboutToBeInserted(TreeItem* parent, int first, int last) = 0;
    virtual void ItemsInserted(TreeItem* parent, int first, int last) = 0;
    virtual void ItemsAboutToBeRemoved(TreeItem* parent, int first, int last) = 0;
    virtual void ItemsRemoved(TreeItem* parent, int first, int last) = 0;
    // One item moves; `destinationRow` counts as in QAbstractItemModel::
    // beginMoveRows (rows of the destination before the move).
    virtual void ItemAboutToBeMoved(TreeItem* sourceParent, int row, TreeItem* destinationParent,
                                    int destinationRow) = 0;
    virtual void ItemMoved() = 0;
    // Text, images or entry fields of one item changed.
    virtual void ItemChanged(TreeItem* item) = 0;
    // Too much changed at once to describe piece by piece (a large load
    // into a populated tree); everything must be fetched again.
    virtual void TreeAboutToBeReset() = 0;
    virtual void TreeReset() = 0;
    // The children of `parent` are put in another order (a listing sorted
    // directories first): none comes or goes and nothing below them
    // changes; once reordered, each child's Row() is its new row. An item
    // model keeps its persistent indexes by item across the change, as
    // around a sort. Unless overridden this is announced as a reset of the
    // whole tree, which is always right but costs a view what it had
    // expanded and selected.
    virtual void ChildrenAboutToBeReordered(TreeItem* /*parent*/) { TreeAboutToBeReset(); }
    virtual void ChildrenReordered(TreeItem* /*parent*/) { TreeReset(); }
};

}  // namespace catalog
