// A listing long enough to reach the tree in several batches of different
// sizes, in no order at all: the final children are each entry once, in
// the listing order, however the batches were cut and merged.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "browsing_fixture.h"

namespace ftpsites::test {
namespace {

using Names = std::vector<std::string>;

TEST_F(BrowsingTest, ALongListingInNoOrderEndsInListingOrder) {
    constexpr int kEntries = 30000;
    std::string listing = "total 1\r\n";
    Names expected;
    // Steps through all numbers below kEntries in a scrambled order (the
    // step is prime to kEntries), with names of both letter cases.
    for (int k = 0, i = 0; k < kEntries; ++k, i = (i + 7919) % kEntries) {
        const bool dir = i % 7 == 0;
        const std::string name = (i % 3 ? "file-" : "File-") + std::to_string(i * 13 % 100003);
        listing +=
            std::string(dir ? "d" : "-") + "rw-r--r-- 1 ftp ftp 10 Jul 17 1996 " + name + "\r\n";
        expected.push_back((dir ? "d " : "f ") + name);
    }
    std::sort(expected.begin(), expected.end());  // "d " before "f ", then by bytes
    ASSERT_TRUE(StartListingServer(
        {{{"/", "drwxr-xr-x 1 ftp ftp 1 Jul 17 1996 big\r\n"}, {"/big", listing}}}))
        << listingServer_->Error();
    catalog::TreeItem* site = AddSite("Scripted", "anonymous", "me@example.org");
    ASSERT_TRUE(browser_.OpenSite(site));
    ASSERT_TRUE(browser_.ListDirectory(Child(site, "big")));
    EXPECT_EQ(Children(Child(site, "big")), expected);
    EXPECT_TRUE(prompt_.Shown().empty());
}

}  // namespace
}  // namespace ftpsites::test
