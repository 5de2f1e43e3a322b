// The merchant writes its three ports to a file before it prints the
// delivery port, so the file is complete once the process reports ready.
#include "test_merchant.h"

#include <QByteArray>
#include <QJsonDocument>
#include <cstdlib>

namespace testsupport {

TestMerchant::TestMerchant(const std::vector<std::string>& args) {
    std::vector<std::string> all{"--record", dir_.Path()};
    all.insert(all.end(), args.begin(), args.end());
    process_ = std::make_unique<ServerProcess>("test_merchant.py", all);
    if (process_->Port() <= 0) {
        error_ = process_->Error();
        return;
    }
    QJsonObject ports =
        QJsonDocument::fromJson(QByteArray::fromStdString(dir_.Read("ports.json"))).object();
    timePort_ = ports["time"].toInt();
    commercePort_ = ports["commerce"].toInt();
    if (timePort_ <= 0 || commercePort_ <= 0) {
        error_ = "the merchant wrote no ports: " + dir_.Read("ports.json");
        return;
    }
    deliveryPort_ = process_->Port();
}

TestMerchant::~TestMerchant() {
    Stop();
    ::unsetenv("AMBIT_TIME_SERVER");
    ::unsetenv("AMBIT_COMMERCE_SERVER");
    ::unsetenv("AMBIT_DELIVERY_PORT");
}

void TestMerchant::Export() const {
    ::setenv("AMBIT_TIME_SERVER", ("127.0.0.1:" + std::to_string(timePort_)).c_str(), 1);
    ::setenv("AMBIT_COMMERCE_SERVER", ("127.0.0.1:" + std::to_string(commercePort_)).c_str(), 1);
    ::setenv("AMBIT_DELIVERY_PORT", std::to_string(deliveryPort_).c_str(), 1);
}

std::vector<QJsonObject> TestMerchant::Events(const std::string& kind) const {
    std::vector<QJsonObject> events;
    for (const QByteArray& line :
         QByteArray::fromStdString(dir_.Read("events.jsonl")).split('\n')) {
        if (line.isEmpty()) continue;
        QJsonObject event = QJsonDocument::fromJson(line).object();
        if (kind.empty() || event["event"].toString().toStdString() == kind)
            events.push_back(event);
    }
    return events;
}

void TestMerchant::Stop() {
    if (process_) process_->Stop();
}

}  // namespace testsupport
