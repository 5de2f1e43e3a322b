// Sorting children that arrive as sorted batches: whatever the runs look
// like, the result is the stable order of the comparison, every row number
// is right and the observer (the shadow) hears of it once.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <ostream>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "catalog/catalog_tree.h"
#include "shadow_observer.h"

namespace catalog {
namespace {

// Children named "<key>#<arrival>": the order compares keys only, so the
// arrival numbers show whether equal keys kept their order.
std::string KeyOf(const TreeItem& item) { return item.Text().substr(0, item.Text().find('#')); }
bool ByKey(const TreeItem& a, const TreeItem& b) { return KeyOf(a) < KeyOf(b); }

struct RunsCase {
    const char* what;
    std::vector<int> batchSizes;  // each batch sorted by key on its own
    int keys;                     // keys drawn from 0..keys-1
};
void PrintTo(const RunsCase& c, std::ostream* os) { *os << c.what; }

class SortedRuns : public catalogtest::ObservedTree,
                   public ::testing::WithParamInterface<RunsCase> {};

TEST_P(SortedRuns, MergesToTheStableOrder) {
    const RunsCase& c = GetParam();
    TreeItem* parent = tree.InsertItem(tree.InsertItem(nullptr, "All", nullptr), "site", nullptr);
    std::mt19937 rng(static_cast<unsigned>(c.batchSizes.size() * 7919 + c.keys));
    std::vector<std::pair<std::string, int>> expected;
    int arrival = 0;
    for (int size : c.batchSizes) {
        std::vector<std::string> batch;
        for (int i = 0; i < size; ++i) {
            char key[16];
            std::snprintf(key, sizeof key, "%06d", static_cast<int>(rng() % c.keys));
            batch.push_back(key);
        }
        std::stable_sort(batch.begin(), batch.end());
        for (const std::string& key : batch) {
            tree.AppendItem(parent, key + "#" + std::to_string(arrival), nullptr);
            expected.emplace_back(key, arrival++);
        }
    }
    std::stable_sort(expected.begin(), expected.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    const int reordersBefore = shadow.reorders;

    tree.SortChildren(parent, ByKey);

    ASSERT_EQ(parent->ChildCount(), static_cast<int>(expected.size()));
    for (int r = 0; r < parent->ChildCount(); ++r) {
        const auto& [key, n] = expected[static_cast<size_t>(r)];
        ASSERT_EQ(parent->Child(r)->Text(), key + "#" + std::to_string(n)) << "row " << r;
        ASSERT_EQ(parent->Child(r)->Row(), r);
    }
    EXPECT_LE(shadow.reorders - reordersBefore, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Batches, SortedRuns,
    ::testing::Values(RunsCase{"OneBatch", {500}, 1000}, RunsCase{"TwoBatches", {300, 400}, 1000},
                      RunsCase{"OddCountOfBatches", {200, 1, 350, 90, 260}, 50},
                      RunsCase{"ManyBatchesFewKeys", std::vector<int>(40, 100), 7},
                      RunsCase{"SingleChildrenThePlainSort", std::vector<int>(300, 1), 100},
                      RunsCase{"EmptyBatchesBetween", {0, 120, 0, 0, 80}, 30}),
    [](const auto& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace catalog
