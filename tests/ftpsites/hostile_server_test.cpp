// The site browser opening a site on every misbehaving server of the
// hostile table (those that touch a listing): a message when it fails,
// never a wait beyond the time-out, no name that leads out of the
// directory, and a site that can always be closed.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <algorithm>
#include <cstdlib>

#include "browsing_fixture.h"
#include "hostile_faults.h"

namespace ftpsites::test {
namespace {

using testsupport::HostileFault;
using testsupport::Outcome;

class BrowserAgainstHostileServer : public BrowsingTest,
                                    public ::testing::WithParamInterface<HostileFault> {};

double Seconds(const QElapsedTimer& clock) { return static_cast<double>(clock.elapsed()) / 1000; }

TEST_P(BrowserAgainstHostileServer, EndsCleanly) {
    const HostileFault& f = GetParam();
    auto server = testsupport::StartHostileServer(f.name);
    ASSERT_GT(server->Port(), 0) << server->Error();
    UsePort(server->Port());
    setenv("AMBIT_NET_TIMEOUT", std::to_string(testsupport::kHostileTimeout).c_str(), 1);
    catalog::TreeItem* site = AddSite("Hostile", "u", "p");

    QElapsedTimer clock;
    clock.start();
    browser_.OpenSite(site);
    double seconds = Seconds(clock);

    std::vector<std::string> children = Children(site);
    for (const std::string& c : children) {
        std::string name = c.substr(2);
        EXPECT_TRUE(name != "." && name != ".." &&
                    name.find_first_of(std::string("/\r\n\0", 4)) == std::string::npos &&
                    name.size() < 4096)
            << name;
    }
    if (f.browser == Outcome::kWorks) {
        EXPECT_TRUE(prompt_.Shown().empty()) << prompt_.Shown()[0];
        EXPECT_NE(std::ranges::find(children, "d docs"), children.end());
        EXPECT_NE(std::ranges::find(children, "f f.bin"), children.end());
        EXPECT_EQ(std::ranges::find(children, "f intruder.bin"), children.end());
    } else {
        ASSERT_FALSE(prompt_.Messages().empty());
        EXPECT_GT(prompt_.Messages()[0].size(), 4u) << prompt_.Messages()[0];
        if (!f.bulk) {
            EXPECT_LT(seconds, testsupport::kHostileLongestRun) << prompt_.Messages()[0];
        }
        if (f.browser == Outcome::kTimesOut) {
            EXPECT_GE(seconds, testsupport::kHostileTimeout * 0.9) << prompt_.Messages()[0];
        }
    }

    // Whatever happened, the site closes without a long wait.
    clock.restart();
    browser_.CloseSite(site);
    EXPECT_LT(Seconds(clock), testsupport::kHostileLongestRun);
    EXPECT_FALSE(SiteBrowser::IsConnected(site));
}

std::vector<HostileFault> ListingFaults() {
    std::vector<HostileFault> rows;
    for (const HostileFault& f : testsupport::HostileFaults())
        if (std::string(f.name).rfind("retr_", 0) != 0) rows.push_back(f);
    return rows;
}

INSTANTIATE_TEST_SUITE_P(Faults, BrowserAgainstHostileServer, ::testing::ValuesIn(ListingFaults()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace ftpsites::test
