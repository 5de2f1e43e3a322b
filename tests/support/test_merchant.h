// The test merchant (tests/servers/test_merchant.py) as a child process: the
// time, commerce and delivery services on free ports of 127.0.0.1, and the
// record of what they received, one JSON object per event, for the test to
// read. Export() points this process's purchase settings at it, so a skiff
// started afterwards inherits them too.
//
//     testsupport::TestMerchant merchant({"--file", path, "--code", "5"});
//     ASSERT_TRUE(merchant.Started()) << merchant.Error();
//     merchant.Export();
//     ... run the purchase ...
//     EXPECT_EQ(merchant.Events("request").at(0)["code"].toInt(), 5);
#pragma once

#include <QJsonObject>
#include <memory>
#include <string>
#include <vector>

#include "server_process.h"
#include "temp_dir.h"

namespace testsupport {

class TestMerchant {
public:
    // args: the merchant's options (see the script), without --record.
    explicit TestMerchant(const std::vector<std::string>& args = {});
    ~TestMerchant();

    bool Started() const { return deliveryPort_ > 0; }
    const std::string& Error() const { return error_; }

    // Sets AMBIT_TIME_SERVER, AMBIT_COMMERCE_SERVER and AMBIT_DELIVERY_PORT
    // to the merchant's ports; the destructor removes them again.
    void Export() const;

    // The events recorded so far, all or those with "event" == kind.
    std::vector<QJsonObject> Events(const std::string& kind = "") const;

    // Ends the merchant (its threads drop any client still connected).
    void Stop();

private:
    TempDir dir_;
    std::unique_ptr<ServerProcess> process_;
    std::string error_;
    int timePort_ = 0;
    int commercePort_ = 0;
    int deliveryPort_ = 0;
};

}  // namespace testsupport
