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
    explicit ShadowObserver(CatalogTree& tree) : tree_(tree) { Rebuild(); }

    void ItemsAboutToBeInserted(TreeItem* parent, int first, int last) override {
        ASSERT_TRUE(known_.count(parent)) << "insert under an item never announced";
        ASSERT_EQ(static_cast<int>(known_[parent].size()), parent->ChildCount());
        ASSERT_LE(first, parent->ChildCount());
        ASSERT_LE(first, last);
        pending_ = {parent, first, last};
        ++notifications;
    }
    void ItemsInserted(TreeItem* parent, int first, int last) override {
        ASSERT_EQ(pending_.parent, parent);
        auto& kids = known_[parent];
        ASSERT_EQ(parent->ChildCount(), static_cast<int>(kids.size()) + last - first + 1);
        for (int r = first; r <= last; ++r) {
            kids.insert(kids.begin() + r, parent->Child(r));
            Learn(parent->Child(r));
        }
    }
    void ItemsAboutToBeRemoved(TreeItem* parent, int first, int last) override {
        auto& kids = known_[parent];
        ASSERT_EQ(static_cast<int>(kids.size()), parent->ChildCount());
        for (int r = first; r <= last; ++r) {
            ASSERT_EQ(kids[static_cast<size_t>(r)], parent->Child(r));
            Forget(parent->Child(r));
        }
        ++notifications;
    }
    void ItemsRemoved(TreeItem* parent, int first, int last) override {
        for (TreeItem* gone : forgotten_) known_.erase(gone);
        forgotten_.clear();
        auto& kids = known_[parent];
        kids.erase(kids.begin() + first, kids.begin() + last + 1);
        ASSERT_EQ(static_cast<int>(kids.size()), parent->ChildCount());
    }
    void ItemAboutToBeMoved(TreeItem* from, int row, TreeItem* to, int destination) override {
        ASSERT_EQ(known_[from][static_cast<size_t>(row)], from->Child(row));
        if (from == to) {
            ASSERT_TRUE(destination < row || destination > row + 1);
        }
        move_ = {from, to, row, destination};
        ++notifications;
    }
    void ItemMoved() override {
        auto& src = known_[move_.from];
        TreeItem* item = src[static_cast<size_t>(move_.row)];
        int dest = move_.destination;
        if (move_.from == move_.to && dest > move_.row) --dest;
        src.erase(src.begin() + move_.row);
        auto& dst = known_[move_.to];
        dst.insert(dst.begin() + dest, item);
        ASSERT_EQ(move_.to->Child(dest), item);
    }
    void ItemChanged(TreeItem*) override {}
    void TreeAboutToBeReset() override {}
    void TreeReset() override { Rebuild(); }
    void ChildrenAboutToBeReordered(TreeItem* parent) override {
        ASSERT_TRUE(known_.count(parent)) << "reorder under an item never announced";
        auto& kids = known_[parent];
        ASSERT_EQ(static_cast<int>(kids.size()), parent->ChildCount());
        for (size_t r = 0; r < kids.size(); ++r)
            ASSERT_EQ(kids[r], parent->Child(static_cast<int>(r)));
        reordering_ = parent;
        ++notifications;
        ++reorders;
    }
    void ChildrenReordered(TreeItem* parent) override {
        ASSERT_EQ(reordering_, parent);
        reordering_ = nullptr;
        std::vector<TreeItem*> now;
        for (int r = 0; r < parent->ChildCount(); ++r) now.push_back(parent->Child(r));
        std::vector<TreeItem*> before = known_[parent], after = now;
        std::sort(before.begin(), before.end());
        std::sort(after.begin(), after.end());
        ASSERT_EQ(before, after) << "a reorder neither adds nor removes";
        known_[parent] = now;
    }

    // The shadow must equal the tree.
    void Verify() {
        for (auto& [parent, kids] : known_) {
            ASSERT_EQ(static_cast<int>(kids.size()), parent->ChildCount());
            for (size_t r = 0; r < kids.size(); ++r) {
                ASSERT_EQ(kids[r], parent->Child(static_cast<int>(r)));
                ASSERT_EQ(kids[r]->Row(), static_cast<int>(r));
                ASSERT_EQ(kids[r]->Parent(), parent);
            }
        }
    }

    int notifications = 0, reorders = 0;

private:
    struct Pending {
        TreeItem* parent = nullptr;
        int first = 0, last = 0;
    } pending_;
    struct Move {
        TreeItem *from = nullptr, *to = nullptr;
        int row = 0, destination = 0;
    } move_;
    TreeItem* reordering_ = nullptr;

    void Learn(TreeItem* item) {
        auto& kids = known_[item];
        kids.clear();
        for (int i = 0; i < item->ChildCount(); ++i) {
            kids.push_back(item->Child(i));
            Learn(item->Child(i));
        }
    }
    void Forget(TreeItem* item) {
        forgotten_.push_back(item);
        for (int i = 0; i < item->ChildCount(); ++i) Forget(item->Child(i));
    }
    void Rebuild() {
        known_.clear();
        Learn(tree_.Top());
    }

    CatalogTree& tree_;
    std::map<TreeItem*, std::vector<TreeItem*>> known_;
    std::vector<TreeItem*> forgotten_;
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
