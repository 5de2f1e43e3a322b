// skiff's purchase against the test merchant on 127.0.0.1: the dialog and
// the purchase flow run in this process with a scripted prompt (one run is
// a child process, to be killed in mid-delivery), the merchant's time,
// commerce and delivery services are real sockets, and the records land in
// the test's own settings file and system directory.
#include "transfer/purchase_flow.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QPushButton>
#include <csignal>
#include <filesystem>
#include <fstream>

#include "child_process.h"
#include "platform/string_array_file.h"
#include "purchase/order_elements.h"
#include "purchase/order_file_writer.h"
#include "purchase/resume_records.h"
#include "purchase/transaction_log.h"
#include "purchase/transfer_records.h"
#include "sample_billing.h"
#include "session/resume_offer.h"
#include "skiff_environment.h"
#include "store/registry_application.h"
#include "store/scramble.h"
#include "test_merchant.h"
#include "transfer/chunked_delivery.h"
#include "transfer/delivery_data_socket.h"
#include "transfer/what_to_do_dialog.h"

namespace {

namespace fs = std::filesystem;
using purchase::OrderElements;
using purchase::ResumeRecord;
using purchase::ResumeRecords;
using transfer::PurchaseFlow;
using transfer::WhatToDoDialog;

constexpr std::size_t kFileSize = 150000;
constexpr const char* kRemotePath = "/pub/files/tools/kit.bin";
constexpr const char* kPassword = "billing pass";

std::size_t Lines(const std::string& path) {
    std::ifstream in(path);
    std::size_t n = 0;
    for (std::string line; std::getline(in, line);) ++n;
    return n;
}

class PurchaseFlowTest : public skifftest::SkiffEnvironment {
protected:
    PurchaseFlowTest() : content_(skifftest::RandomBytes(kFileSize, 14)) {
        SetEnv("QT_QPA_PLATFORM", "offscreen");
        previousFlow_ = transfer::SetOrderFlow(&flow_);
        store::SetApplication(store::kApplicationName, store::kApplicationVersion);
        sold_ = merchantRoot_.Write("kit.bin", content_);
    }
    ~PurchaseFlowTest() override { transfer::SetOrderFlow(previousFlow_); }

    // Starts the merchant selling the file with these options and points
    // skiff at it.
    void StartMerchant(std::vector<std::string> options = {}) {
        options.insert(options.end(), {"--file", std::string(kRemotePath) + "=" + sold_, "--card",
                                       "4111111111111234", "--price", "1000"});
        merchant_.reset();
        merchant_ = std::make_unique<testsupport::TestMerchant>(options);
        ASSERT_TRUE(merchant_->Started()) << merchant_->Error();
        PointAt("127.0.0.1:" + std::to_string(merchant_->TimePort()),
                "127.0.0.1:" + std::to_string(merchant_->CommercePort()),
                merchant_->DeliveryPort());
    }
    void PointAt(const std::string& time, const std::string& commerce, int deliveryPort) {
        SetEnv("AMBIT_TIME_SERVER", time);
        SetEnv("AMBIT_COMMERCE_SERVER", commerce);
        SetEnv("AMBIT_DELIVERY_PORT", std::to_string(deliveryPort));
    }

    // An order as ambit writes it for "Buy": 1000 cents with tax.
    std::string PurchaseArgument() {
        store::BillingInfo b = testsupport::SampleBilling();
        std::vector<std::string> e(OrderElements::kPurchaseElements);
        e[OrderElements::kHolderName] = b.cname;
        e[OrderElements::kHolderAddress] = b.caddr;
        e[OrderElements::kHolderPhone] = b.ctel;
        e[OrderElements::kCardType] = b.cardtype;
        e[OrderElements::kExpiry] = b.carddt;
        e[OrderElements::kPriceCents] = "1000";
        e[OrderElements::kScrambledCard] = store::Scramble(b.cardnum);
        e[OrderElements::kHost] = "127.0.0.1";
        e[OrderElements::kItemName] = "Tool kit";
        e[OrderElements::kRemotePath] = kRemotePath;
        e[OrderElements::kLocalPath] = local_.File("kit.bin");
        e[OrderElements::kStoredName] = b.cname;
        e[OrderElements::kStoredAddress] = b.caddr;
        e[OrderElements::kStoredPhone] = b.ctel;
        e[OrderElements::kSalesTax] = "1";
        std::string error;
        orderPath_ = purchase::OrderFileWriter::Write(e, &error);
        EXPECT_FALSE(orderPath_.empty()) << error;
        return "FINFO$$" + orderPath_ + "$$";
    }

    // Runs skiff on the argument, answering the question with `choice`
    // (0: Cancel); `during` is called while it runs.
    int Buy(const std::string& argument, int choice = WhatToDoDialog::kOpenWith,
            std::function<void(transfer::TransferDialog&)> during = {}) {
        return RunSkiff(argument, [&, choice](transfer::TransferDialog& d) {
            if (auto* ask = qobject_cast<WhatToDoDialog*>(QApplication::activeModalWidget())) {
                if (choice == 0) {
                    ask->CancelButton()->click();
                } else {
                    ask->SetOpenWith("kit-viewer");
                    ask->Button(static_cast<WhatToDoDialog::Control>(choice))->click();
                }
            }
            if (during) during(d);
        });
    }

    // The records left; at most one in these tests.
    std::optional<ResumeRecord> Record() {
        ResumeRecord record;
        if (ResumeRecords::Find(0, record) == ResumeRecords::Found::kNone) return std::nullopt;
        return record;
    }
    std::vector<purchase::TransferRecord> Purchases() {
        std::vector<purchase::TransferRecord> records;
        purchase::TransferRecords::ReadAll(purchase::TransferRecords::Path(), records);
        return records;
    }
    // The offer at ambit's start-up, answered Yes: the RINFO argument it
    // starts skiff with, or "" when it started nothing.
    std::string ResumeArgument() {
        store::BillingInfo billing = testsupport::SampleBilling();
        EXPECT_EQ(billing.Save(kPassword), 0);
        prompt_.Answer(true);
        session::SkiffStarter starter(home_.File("data"));
        session::ResumeOffer offer(starter, [] { return std::optional<std::string>(kPassword); });
        const std::size_t before = launcher_.Started().size();
        if (offer.Run() != 1 || launcher_.Started().size() != before + 1) return "";
        return launcher_.Started().back().at(1);
    }

    // The file as bought: its content and the stamp of the last ticket.
    // Compared as a truth value: a difference in 150000 random bytes is
    // no reading.
    bool ArrivedStamped() {
        auto tickets = merchant_->Events("ticket");
        std::string stamped =
            content_ + "127.0.0.1-" +
            (tickets.empty() ? "?" : std::to_string(tickets.back()["ticket"].toInt()));
        std::string arrived = local_.Read("kit.bin");
        if (arrived == stamped) return true;
        ADD_FAILURE() << "arrived " << arrived.size() << " bytes, ending in \""
                      << arrived.substr(arrived.size() - std::min<std::size_t>(arrived.size(), 20))
                      << "\"; want " << stamped.size();
        return false;
    }

    PurchaseFlow flow_;
    transfer::OrderFlow* previousFlow_ = nullptr;
    testsupport::TempDir merchantRoot_;
    std::string content_;
    std::string sold_;
    std::string orderPath_;
    std::unique_ptr<testsupport::TestMerchant> merchant_;
};

const std::string kDeclined = std::string(PurchaseFlow::ResultText(5)) + " (5)";

// What the user sees and what is left behind for each verdict of the
// delivery server: only an authorised purchase delivers and records; a
// refusal (5) deletes the record; a code nobody knows keeps it.
struct Verdict {
    const char* name;
    int reply;
    std::vector<std::string> messages;
    bool delivered;
    bool recordKept;
};

class PurchaseVerdicts : public PurchaseFlowTest, public ::testing::WithParamInterface<Verdict> {};

TEST_P(PurchaseVerdicts, ShowsTheVerdictAndKeepsTheRightRecords) {
    const Verdict& v = GetParam();
    StartMerchant(v.reply == 1 ? std::vector<std::string>{}
                               : std::vector<std::string>{"--code", std::to_string(v.reply)});
    const std::string cwd = fs::current_path();

    EXPECT_EQ(Buy(PurchaseArgument()), 0);

    EXPECT_EQ(prompt_.Messages(), v.messages);
    EXPECT_FALSE(fs::exists(orderPath_)) << "the order holds card data";
    EXPECT_EQ(fs::current_path(), cwd);
    EXPECT_EQ(Lines(purchase::TransactionLog::Path()), 1u);
    EXPECT_EQ(Record().has_value(), v.recordKept);
    if (!v.delivered) {
        EXPECT_FALSE(fs::exists(local_.File("kit.bin")));
        EXPECT_TRUE(Purchases().empty());
        EXPECT_TRUE(LogEntries().empty());
        EXPECT_TRUE(launcher_.Started().empty());
        return;
    }
    EXPECT_TRUE(ArrivedStamped());
    EXPECT_FALSE(fs::exists(ResumeRecords::ChunkFolder(1)));
    auto purchases = Purchases();
    ASSERT_EQ(purchases.size(), 1u);
    EXPECT_EQ(purchases[0].price, "10.65");
    EXPECT_EQ(purchases[0].checksum, "10");  // card ending in 1234
    auto log = LogEntries();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0][3], "OpenW");
    EXPECT_EQ(log[0][5], std::to_string(kFileSize));
    EXPECT_EQ(log[0][10], "10.65");
    ASSERT_EQ(launcher_.Started().size(), 1u);
    EXPECT_EQ(launcher_.Started()[0],
              (std::vector<std::string>{"kit-viewer", local_.File("kit.bin")}));
}

INSTANTIATE_TEST_SUITE_P(Replies, PurchaseVerdicts,
                         ::testing::Values(Verdict{"Authorised", 1, {}, true, false},
                                           Verdict{"Declined", 5, {kDeclined}, false, false},
                                           Verdict{
                                               "Unknown", 7, {"Unknown error : 7"}, false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// Cancel in the question ends skiff before any connection is made.
TEST_F(PurchaseFlowTest, CancelMakesNoConnection) {
    skifftest::SilentPort time, commerce, delivery;
    PointAt("127.0.0.1:" + std::to_string(time.Port()),
            "127.0.0.1:" + std::to_string(commerce.Port()), delivery.Port());
    EXPECT_EQ(Buy(PurchaseArgument(), 0), 0);
    EXPECT_FALSE(time.AnyoneConnected());
    EXPECT_FALSE(commerce.AnyoneConnected());
    EXPECT_FALSE(delivery.AnyoneConnected());
    EXPECT_FALSE(fs::exists(orderPath_));
    EXPECT_FALSE(Record().has_value());
}

// A file that cannot be joined shows the rebuild message and leaves the
// record and every chunk, with nothing recorded and nothing run; the
// resume then finishes the file from the chunks alone.
TEST_F(PurchaseFlowTest, FailedRebuildKeepsTheChunksForTheResume) {
    StartMerchant();
    const std::string part = local_.File("kit.bin.part");
    Buy(PurchaseArgument(), WhatToDoDialog::kOpenWith, [&](transfer::TransferDialog& d) {
        // A directory where the file is joined: even root cannot open it.
        if (d.Text(transfer::TransferDialog::kCaption).starts_with("Downloading"))
            fs::create_directories(part);
    });
    ASSERT_EQ(prompt_.Messages().size(), 1u);
    EXPECT_EQ(prompt_.Messages()[0].rfind(PurchaseFlow::ResultMessage(203), 0), 0u)
        << prompt_.Messages()[0];
    auto record = Record();
    ASSERT_TRUE(record);
    EXPECT_EQ(record->downloaded, kFileSize);
    EXPECT_TRUE(fs::exists(ResumeRecords::ChunkPath(record->number, 2)));
    EXPECT_TRUE(Purchases().empty());
    EXPECT_TRUE(LogEntries().empty());
    EXPECT_TRUE(launcher_.Started().empty());

    fs::remove(part);
    const std::string resume = ResumeArgument();
    ASSERT_FALSE(resume.empty());
    EXPECT_EQ(Buy(resume, WhatToDoDialog::kDownloadOnly), 0);
    EXPECT_TRUE(ArrivedStamped());
    EXPECT_FALSE(Record().has_value());
    EXPECT_EQ(Purchases().size(), 1u);
}

// Abort in mid-delivery closes both connections and ends skiff at once;
// the record and the chunk already written stay for the resume.
TEST_F(PurchaseFlowTest, AbortLeavesTheRecordAndTheChunks) {
    StartMerchant({"--stop-after", "1", "--hold"});
    Buy(PurchaseArgument(), WhatToDoDialog::kOpenWith, [&](transfer::TransferDialog& d) {
        if (!hardExits_.empty() || d.BytesDone() < std::int64_t{ResumeRecords::kChunkSize}) return;
        d.UpdateProgress();
        if (const char* shots = std::getenv("AMBIT_SCREENSHOT_DIR"))
            d.grab().save(QString::fromUtf8(shots) + "/skiff-purchase.png");
        d.AbortButton()->click();
    });
    EXPECT_EQ(hardExits_, std::vector<int>{0});
    EXPECT_TRUE(prompt_.Messages().empty());
    auto record = Record();
    ASSERT_TRUE(record);
    EXPECT_TRUE(fs::exists(ResumeRecords::ChunkPath(record->number, 0)));
    EXPECT_FALSE(fs::exists(local_.File("kit.bin")));
}

// skiff killed after the first chunk leaves the record; ambit's start-up
// offer resumes it with RINFO from offset 65536. A merchant that then
// states another size gets the size message, and the record goes.
struct Resume {
    const char* name;
    bool wrongSize;
};

class PurchaseResume : public PurchaseFlowTest, public ::testing::WithParamInterface<Resume> {};

TEST_P(PurchaseResume, AfterAKillTheOfferFinishesOrRefuses) {
    StartMerchant({"--stop-after", "1", "--hold"});
    {
        testsupport::ChildProcess child({AMBIT_PURCHASE_CHILD, PurchaseArgument()});
        ASSERT_TRUE(child.Started());
        ASSERT_TRUE(child.ReadLines(1, 30000));
        ASSERT_EQ(child.Lines()[0], "CHUNKS 65536");
        ::kill(child.Pid(), SIGKILL);
        child.Finish(10000);
    }
    auto record = Record();
    ASSERT_TRUE(record);
    EXPECT_EQ(record->downloaded, ResumeRecords::kChunkSize);

    StartMerchant(GetParam().wrongSize ? std::vector<std::string>{"--wrong-size"}
                                       : std::vector<std::string>{});
    const std::string resume = ResumeArgument();
    ASSERT_TRUE(resume.starts_with("RINFO$$")) << resume;
    EXPECT_EQ(Buy(resume, WhatToDoDialog::kDownloadOnly), 0);
    EXPECT_FALSE(Record().has_value());
    if (GetParam().wrongSize) {
        EXPECT_EQ(prompt_.Messages(), std::vector<std::string>{PurchaseFlow::ResultMessage(200)});
        EXPECT_FALSE(fs::exists(local_.File("kit.bin")));
        return;
    }
    EXPECT_TRUE(prompt_.Messages().empty());
    auto offsets = merchant_->Events("offset");
    ASSERT_EQ(offsets.size(), 1u);
    EXPECT_EQ(offsets[0]["offset"].toInt(), int{ResumeRecords::kChunkSize});
    EXPECT_TRUE(ArrivedStamped());
}

INSTANTIATE_TEST_SUITE_P(Offers, PurchaseResume,
                         ::testing::Values(Resume{"Completes", false}, Resume{"WrongSize", true}),
                         [](const auto& info) { return std::string(info.param.name); });

// Whoever reaches the data port before the delivery server is turned
// away; the file comes only from the server's own address.
TEST(DeliveryDataSocket, TakesOnlyTheDeliveryServer) {
    transfer::DeliveryDataSocket data("127.0.0.1");
    const int port = data.LocalPort();
    auto connectFrom = [port](const char* from, const std::string& payload) {
        int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        ::inet_pton(AF_INET, from, &a.sin_addr);
        EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
        a.sin_port = htons(static_cast<std::uint16_t>(port));
        ::inet_pton(AF_INET, "127.0.0.1", &a.sin_addr);
        EXPECT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
        EXPECT_EQ(::send(fd, payload.data(), payload.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(payload.size()));
        ::close(fd);
    };
    connectFrom("127.0.0.2", "forged");
    connectFrom("127.0.0.1", "the file");
    std::string received;
    char buffer[64];
    for (int n; (n = data.Read(buffer, sizeof buffer)) > 0;) received.append(buffer, n);
    EXPECT_EQ(received, "the file");
}

}  // namespace
