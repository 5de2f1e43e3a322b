// A stand-in for a Qt item model in the catalog tests: it keeps what a
// model would know of the tree, learned only from the observer's
// notifications, and fails the test as soon as one disagrees with the tree.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <vector>

#include "catalog/catalog_tree.h"

namespace catalogtest {

using catalog::CatalogTree;
using catalog::CatalogTreeObserver;
using catalog::TreeItem;

class ShadowObserver : public CatalogTreeObserver {
public:
    explicit ShadowObserver(CatalogTree& tree) : tree_(tree) { TreeReset(); }

    void ItemsAboutToBeInserted(TreeItem* parent, int first, int last) override {
        ASSERT_TRUE(known_.count(parent)) << "insert under an item never announced";
        ExpectKnown(parent);
        ASSERT_LE(first, parent->ChildCount());
        ASSERT_LE(first, last);
        pending_ = parent;
        ++notifications;
    }
    void ItemsInserted(TreeItem* parent, int first, int last) override {
        ASSERT_EQ(pending_, parent);
        auto& kids = known_[parent];
        for (int r = first; r <= last; ++r) {
            kids.insert(kids.begin() + r, parent->Child(r));
            Learn(parent->Child(r));
        }
        ExpectKnown(parent);
    }
    void ItemsAboutToBeRemoved(TreeItem* parent, int first, int last) override {
        ExpectKnown(parent);
        for (int r = first; r <= last; ++r) Forget(parent->Child(r));
        auto& kids = known_[parent];
        kids.erase(kids.begin() + first, kids.begin() + last + 1);
        ++notifications;
    }
    void ItemsRemoved(TreeItem* parent, int, int) override { ExpectKnown(parent); }
    void ItemAboutToBeMoved(TreeItem* from, int row, TreeItem* to, int destination) override {
        ExpectKnown(from);
        ExpectKnown(to);
        if (from == to) {
            ASSERT_TRUE(destination < row || destination > row + 1);
        }
        move_ = {from, to, row, destination};
        ++notifications;
    }
    void ItemMoved() override {
        auto& src = known_[move_.from];
        TreeItem* item = src[static_cast<size_t>(move_.row)];
        src.erase(src.begin() + move_.row);
        const bool down = move_.from == move_.to && move_.destination > move_.row;
        auto& dst = known_[move_.to];
        dst.insert(dst.begin() + move_.destination - (down ? 1 : 0), item);
        ExpectKnown(move_.from);
        ExpectKnown(move_.to);
    }
    void ItemChanged(TreeItem*) override {}
    void TreeAboutToBeReset() override {}
    void TreeReset() override {
        known_.clear();
        Learn(tree_.Top());
    }
    void ChildrenAboutToBeReordered(TreeItem* parent) override {
        ASSERT_TRUE(known_.count(parent)) << "reorder under an item never announced";
        ExpectKnown(parent);
        reordering_ = parent;
        ++notifications;
        ++reorders;
    }
    void ChildrenReordered(TreeItem* parent) override {
        ASSERT_EQ(reordering_, parent);
        std::vector<TreeItem*> before = known_[parent], after = Children(parent);
        known_[parent] = after;
        std::sort(before.begin(), before.end());
        std::sort(after.begin(), after.end());
        ASSERT_EQ(before, after) << "a reorder neither adds nor removes";
    }

    // The shadow must equal the tree.
    void Verify() {
        for (auto& [parent, kids] : known_) {
            ExpectKnown(parent);
            for (size_t r = 0; r < kids.size(); ++r) {
                ASSERT_EQ(kids[r]->Row(), static_cast<int>(r));
                ASSERT_EQ(kids[r]->Parent(), parent);
            }
        }
    }

    int notifications = 0, reorders = 0;

private:
    struct Move {
        TreeItem *from = nullptr, *to = nullptr;
        int row = 0, destination = 0;
    } move_;
    TreeItem *pending_ = nullptr, *reordering_ = nullptr;

    static std::vector<TreeItem*> Children(const TreeItem* item) {
        std::vector<TreeItem*> kids;
        for (int i = 0; i < item->ChildCount(); ++i) kids.push_back(item->Child(i));
        return kids;
    }
    void ExpectKnown(TreeItem* parent) { ASSERT_EQ(known_[parent], Children(parent)); }
    void Learn(TreeItem* item) {
        known_[item] = Children(item);
        for (TreeItem* kid : known_[item]) Learn(kid);
    }
    void Forget(TreeItem* item) {
        for (int i = 0; i < item->ChildCount(); ++i) Forget(item->Child(i));
        known_.erase(item);
    }

    CatalogTree& tree_;
    std::map<TreeItem*, std::vector<TreeItem*>> known_;
};

// A tree watched by a shadow from its first item on: every test on it checks
// the notifications, and the shadow must still equal the tree at the end.
class ObservedTree : public ::testing::Test {
protected:
    ObservedTree() { tree.SetObserver(&shadow); }
    void TearDown() override { shadow.Verify(); }

    CatalogTree tree;
    ShadowObserver shadow{tree};
};

}  // namespace catalogtest
