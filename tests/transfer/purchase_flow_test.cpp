// skiff's purchase against the test merchant on 127.0.0.1: the dialog and
// the purchase flow run in this process with a scripted prompt (one run is
// a child process, to be killed in mid-delivery); the merchant decrypts and
// checks the card block, so an authorised purchase proves the key, the
// block and the request byte for byte.
#include "transfer/purchase_flow.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QPushButton>
#include <algorithm>
#include <csignal>
#include <filesystem>

#include "child_process.h"
#include "purchase/order_elements.h"
#include "purchase/order_file_writer.h"
#include "purchase/purchase_exchange.h"
#include "purchase/resume_records.h"
#include "purchase/transfer_records.h"
#include "sample_billing.h"
#include "session/resume_offer.h"
#include "skiff_environment.h"
#include "store/registry_application.h"
#include "store/scramble.h"
#include "test_merchant.h"
#include "transfer/delivery_data_socket.h"
#include "transfer/what_to_do_dialog.h"

namespace {

namespace fs = std::filesystem;
using E = purchase::OrderElements;
using purchase::ResumeRecord;
using purchase::ResumeRecords;
using transfer::PurchaseFlow;
using transfer::WhatToDoDialog;
using Order = std::vector<std::string>;

constexpr std::size_t kFileSize = 150000;
constexpr const char* kRemotePath = "/pub/files/tools/kit.bin";
constexpr const char* kPassword = "billing pass";

class PurchaseFlowTest : public skifftest::SkiffEnvironment {
protected:
    PurchaseFlowTest() : content_(skifftest::RandomBytes(kFileSize, 14)) {
        SetEnv("QT_QPA_PLATFORM", "offscreen");
        previousFlow_ = transfer::SetOrderFlow(&flow_);
        store::SetApplication(store::kApplicationName, store::kApplicationVersion);
        sold_ = merchantRoot_.Write("kit.bin", content_);
    }
    ~PurchaseFlowTest() override { transfer::SetOrderFlow(previousFlow_); }

    // Starts the merchant selling the file (later options win) and points
    // skiff at it.
    void StartMerchant(const std::vector<std::string>& options = {}) {
        std::vector<std::string> all{"--file",  std::string(kRemotePath) + "=" + sold_,
                                     "--card",  "4111111111111234",
                                     "--price", "1000"};
        all.insert(all.end(), options.begin(), options.end());
        merchant_.reset();
        merchant_ = std::make_unique<testsupport::TestMerchant>(all);
        ASSERT_TRUE(merchant_->Started()) << merchant_->Error();
        merchant_->Export();
    }

    // An order as ambit writes it for "Buy": 1000 cents with tax.
    // `element` of the order (-1: none) is replaced by `value`.
    std::string PurchaseArgument(int element = -1, const std::string& value = "") {
        store::BillingInfo billing = testsupport::SampleBilling();
        ResumeRecord item{.sourceName = kRemotePath,
                          .destName = local_.File("kit.bin"),
                          .server = "127.0.0.1",
                          .priceCents = 1000,
                          .salesTax = true,
                          .itemName = "Tool kit"};
        Order order =
            session::ResumeOffer::OrderFor(item, billing, store::Scramble(billing.cardnum));
        order.resize(E::kPurchaseElements);
        if (element >= 0)
            order[element] = element == E::kScrambledCard ? store::Scramble(value) : value;
        std::string error;
        orderPath_ = purchase::OrderFileWriter::Write(order, &error);
        EXPECT_FALSE(orderPath_.empty()) << error;
        return "FINFO$$" + orderPath_ + "$$";
    }

    // Runs skiff on the argument, answering the question with `choice`
    // (0: Cancel); `during` is called while it runs.
    int Buy(const std::string& argument, int choice = WhatToDoDialog::kOpenWith,
            std::function<void(transfer::TransferDialog&)> during = {}) {
        return RunSkiff(argument, [&, choice](transfer::TransferDialog& d) {
            if (auto* ask = qobject_cast<WhatToDoDialog*>(QApplication::activeModalWidget())) {
                ask->SetOpenWith("kit-viewer");
                if (choice == 0) ask->CancelButton()->click();
                if (choice != 0) ask->Button(static_cast<WhatToDoDialog::Control>(choice))->click();
            }
            if (during) during(d);
        });
    }

    // The record left; at most one in these tests.
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
    // ambit's start-up offer, answered Yes: the argument it starts skiff
    // with, or "" when it started nothing.
    std::string ResumeArgument() {
        EXPECT_EQ(testsupport::SampleBilling().Save(kPassword), 0);
        prompt_.Answer(true);
        session::SkiffStarter starter(home_.File("data"));
        session::ResumeOffer offer(starter, [] { return std::optional<std::string>(kPassword); });
        if (offer.Run() != 1) return "";
        return launcher_.Started().back().at(1);
    }
    // The file as bought: its content and the stamp of the last ticket.
    bool ArrivedStamped() {
        auto tickets = merchant_->Events("ticket");
        if (tickets.empty()) return false;
        return local_.Read("kit.bin") ==
               content_ + "127.0.0.1-" + std::to_string(tickets.back()["ticket"].toInt());
    }

    PurchaseFlow flow_;
    transfer::OrderFlow* previousFlow_ = nullptr;
    testsupport::TempDir merchantRoot_;
    std::string content_;
    std::string sold_;
    std::string orderPath_;
    std::unique_ptr<testsupport::TestMerchant> merchant_;
};

// What the user sees and what is left behind for each verdict of the
// merchant and each order or server that cannot be used: only an
// authorised purchase delivers and records; a refusal deletes the record, a
// code nobody knows or a lost delivery server keeps it for the resume.
// Where a server is moved to: a port nobody listens on, or a host that
// does not exist.
enum class Move { kNone, kTimeClosed, kCommerceClosed, kDeliveryClosed, kTimeUnknown };

struct Verdict {
    const char* name;
    std::vector<std::string> merchant;
    int element;  // an order element changed, -1 for none
    std::string value;
    Move move;
    int shown;      // the result shown, 0 for none
    bool answered;  // the delivery server got the request and answered
    bool delivered;
    bool recordKept;
};

const std::string kLongText(256, 'x'), kLongPath = "/" + kLongText.substr(1), kCard21(21, '4');
const Verdict kVerdicts[] = {
    {"Authorised", {}, -1, "", Move::kNone, 0, true, true, false},
    {"DeclinedCard", {"--card", "4000000000000002"}, -1, "", Move::kNone, 5, true, false, false},
    {"DisputedPrice", {"--price", "999"}, -1, "", Move::kNone, 12, true, false, false},
    {"ServerError", {"--code", "2"}, -1, "", Move::kNone, 2, true, false, false},
    {"VersionTooOld", {"--code", "15"}, -1, "", Move::kNone, 15, true, false, false},
    {"UnknownCode", {"--code", "7"}, -1, "", Move::kNone, 7, true, false, true},
    {"NoZeroByteAfterCode1", {"--auth-byte", "1"}, -1, "", Move::kNone, 205, true, false, true},
    {"HangUpAfterCode1", {"--auth-byte", "-1"}, -1, "", Move::kNone, 205, true, false, true},
    {"HolderNameOf256", {}, E::kHolderName, kLongText, Move::kNone, 204, false, false, false},
    {"CardOf21Digits", {}, E::kScrambledCard, kCard21, Move::kNone, 204, false, false, false},
    {"CardTypeOf10", {}, E::kCardType, "MASTERCARD", Move::kNone, 204, false, false, false},
    {"RemotePathOf256", {}, E::kRemotePath, kLongPath, Move::kNone, 204, false, false, false},
    {"TimeRefuses", {}, -1, "", Move::kTimeClosed, 301, false, false, false},
    {"CommerceRefuses", {}, -1, "", Move::kCommerceClosed, 301, false, false, false},
    {"DeliveryRefuses", {}, -1, "", Move::kDeliveryClosed, 301, false, false, true},
    {"TimeServerUnknown", {}, -1, "", Move::kTimeUnknown, 302, false, false, false},
};

class PurchaseVerdicts : public PurchaseFlowTest, public ::testing::WithParamInterface<Verdict> {};

TEST_P(PurchaseVerdicts, ShowsTheVerdictAndKeepsTheRightRecords) {
    const Verdict& v = GetParam();
    StartMerchant(v.merchant);
    const std::string closed = std::to_string(skifftest::SilentPort().Port());  // released at once
    if (v.move == Move::kTimeClosed) SetEnv("AMBIT_TIME_SERVER", "127.0.0.1:" + closed);
    if (v.move == Move::kCommerceClosed) SetEnv("AMBIT_COMMERCE_SERVER", "127.0.0.1:" + closed);
    if (v.move == Move::kDeliveryClosed) SetEnv("AMBIT_DELIVERY_PORT", closed);
    if (v.move == Move::kTimeUnknown) SetEnv("AMBIT_TIME_SERVER", "nowhere.invalid:37");
    const std::string cwd = fs::current_path();

    EXPECT_EQ(Buy(PurchaseArgument(v.element, v.value)), 0);

    EXPECT_EQ(prompt_.Messages(), v.shown == 0 ? std::vector<std::string>{}
                                               : std::vector{PurchaseFlow::ResultMessage(v.shown)});
    EXPECT_FALSE(fs::exists(orderPath_)) << "the order holds card data";
    EXPECT_EQ(fs::current_path(), cwd);
    if (v.shown == purchase::kBadUserData) {
        EXPECT_TRUE(merchant_->Events().empty()) << "nothing may reach the servers";
    }
    auto requests = merchant_->Events("request");
    ASSERT_EQ(requests.size(), v.answered ? 1u : 0u);
    EXPECT_EQ(std::ranges::count(home_.Read("windows/system/ambtrn.log"), '\n'),
              v.answered ? 1 : 0);
    EXPECT_EQ(Record().has_value(), v.recordKept);
    EXPECT_EQ(ArrivedStamped(), v.delivered);
    auto log = LogEntries();
    ASSERT_EQ(log.size(), v.delivered ? 1u : 0u);
    ASSERT_EQ(launcher_.Started().size(), log.size());
    ASSERT_EQ(Purchases().size(), log.size());
    if (!v.delivered) return;
    // The fields the merchant does not check itself.
    QJsonObject request = requests[0]["request"].toObject();
    EXPECT_EQ(request["kind"].toString(), "n");
    EXPECT_EQ(request["transaction"].toInt(), 1);
    EXPECT_EQ(request["name"].toString(), "Ann B. Lee");
    EXPECT_EQ(request["sales_tax"].toInt(), 1);
    EXPECT_FALSE(fs::exists(ResumeRecords::ChunkFolder(1)));
    EXPECT_EQ(Purchases()[0].price, "10.65");
    EXPECT_EQ(Purchases()[0].checksum, "10");  // card ending in 1234
    EXPECT_EQ(log[0][3], "OpenW");
    EXPECT_EQ(log[0][5], std::to_string(kFileSize));
    EXPECT_EQ(log[0][10], "10.65");
    EXPECT_EQ(launcher_.Started()[0],
              (std::vector<std::string>{"kit-viewer", local_.File("kit.bin")}));
}

INSTANTIATE_TEST_SUITE_P(Replies, PurchaseVerdicts, ::testing::ValuesIn(kVerdicts),
                         [](const auto& info) { return std::string(info.param.name); });

// Cancel in the question ends skiff before any connection is made.
TEST_F(PurchaseFlowTest, CancelMakesNoConnection) {
    skifftest::SilentPort time, commerce, delivery;
    SetEnv("AMBIT_TIME_SERVER", "127.0.0.1:" + std::to_string(time.Port()));
    SetEnv("AMBIT_COMMERCE_SERVER", "127.0.0.1:" + std::to_string(commerce.Port()));
    SetEnv("AMBIT_DELIVERY_PORT", std::to_string(delivery.Port()));
    EXPECT_EQ(Buy(PurchaseArgument(), 0), 0);
    EXPECT_FALSE(time.AnyoneConnected() || commerce.AnyoneConnected() ||
                 delivery.AnyoneConnected());
    EXPECT_FALSE(fs::exists(orderPath_));
    EXPECT_FALSE(Record().has_value());
}

// A purchase cut off (Abort, a kill after the first chunk) or whose file
// cannot be joined leaves the record and its chunks and nothing else.
// ambit's start-up offer then resumes it with RINFO from what the record
// counts and finishes the file, or, when the merchant states another size,
// says so and drops the record.
enum class Cut { kAbort, kKill, kRebuildFails };
struct Interruption {
    const char* name;
    Cut cut;
    std::uint32_t downloaded;  // what the record counts afterwards
    int message;               // the result shown, 0 for none
    bool sizeChangesOnResume;
};

class PurchaseResume : public PurchaseFlowTest, public ::testing::WithParamInterface<Interruption> {
protected:
    void Interrupt(Cut cut) {
        if (cut == Cut::kKill) {
            testsupport::ChildProcess child({AMBIT_PURCHASE_CHILD, PurchaseArgument()});
            ASSERT_TRUE(child.ReadLines(1, 30000));
            ASSERT_EQ(child.Lines()[0], "CHUNKS 65536");
            ::kill(child.Pid(), SIGKILL);
            child.Finish(10000);
            return;
        }
        const std::string part = local_.File("kit.bin.part");
        Buy(PurchaseArgument(), WhatToDoDialog::kOpenWith, [&](transfer::TransferDialog& d) {
            // A directory where the file is joined: even root cannot open it.
            if (cut == Cut::kRebuildFails) {
                if (d.Text(transfer::TransferDialog::kCaption).starts_with("Downloading"))
                    fs::create_directories(part);
                return;
            }
            if (!hardExits_.empty() || d.BytesDone() < std::int64_t{ResumeRecords::kChunkSize})
                return;
            d.UpdateProgress();
            if (const char* shots = std::getenv("AMBIT_SCREENSHOT_DIR"))
                d.grab().save(QString::fromUtf8(shots) + "/skiff-purchase.png");
            d.AbortButton()->click();
        });
        EXPECT_EQ(hardExits_, (cut == Cut::kAbort ? std::vector<int>{0} : std::vector<int>{}));
        fs::remove(part);
    }
};

TEST_P(PurchaseResume, LeavesTheRecordForTheOfferToFinish) {
    const Interruption& p = GetParam();
    StartMerchant(p.cut == Cut::kRebuildFails
                      ? std::vector<std::string>{}
                      : std::vector<std::string>{"--stop-after", "1", "--hold"});
    Interrupt(p.cut);
    ASSERT_EQ(prompt_.Messages().size(), p.message != 0 ? 1u : 0u);
    if (p.message != 0) {
        EXPECT_TRUE(prompt_.Messages()[0].starts_with(PurchaseFlow::ResultMessage(p.message)));
    }
    auto record = Record();
    ASSERT_TRUE(record);
    EXPECT_EQ(record->downloaded, p.downloaded);
    EXPECT_TRUE(fs::exists(ResumeRecords::ChunkPath(record->number, (p.downloaded - 1) / 65536)));
    EXPECT_FALSE(fs::exists(local_.File("kit.bin")));
    EXPECT_TRUE(Purchases().empty());
    EXPECT_TRUE(LogEntries().empty());
    EXPECT_TRUE(launcher_.Started().empty());

    StartMerchant(p.sizeChangesOnResume ? std::vector<std::string>{"--wrong-size"}
                                        : std::vector<std::string>{});
    const std::string resume = ResumeArgument();
    ASSERT_TRUE(resume.starts_with("RINFO$$")) << resume;
    EXPECT_EQ(Buy(resume, WhatToDoDialog::kDownloadOnly), 0);
    EXPECT_FALSE(Record().has_value());
    const std::vector<std::string> resumeMessages(prompt_.Messages().begin() + (p.message != 0),
                                                  prompt_.Messages().end());
    // The resume names its record and takes no new number.
    auto requests = merchant_->Events("request");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0]["request"].toObject()["kind"].toString(), "r");
    EXPECT_EQ(requests[0]["request"].toObject()["transaction"].toInt(),
              static_cast<int>(record->number));
    if (p.sizeChangesOnResume) {
        EXPECT_EQ(resumeMessages, std::vector<std::string>{PurchaseFlow::ResultMessage(200)});
        EXPECT_FALSE(fs::exists(local_.File("kit.bin")));
        return;
    }
    EXPECT_TRUE(resumeMessages.empty());
    auto offsets = merchant_->Events("offset");
    ASSERT_EQ(offsets.size(), 1u);
    EXPECT_EQ(offsets[0]["offset"].toInt(), static_cast<int>(p.downloaded));
    EXPECT_TRUE(ArrivedStamped());
    EXPECT_EQ(Purchases().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Cuts, PurchaseResume,
    ::testing::Values(Interruption{"KilledThenFinished", Cut::kKill, 65536, 0, false},
                      Interruption{"AbortedThenSizeChanged", Cut::kAbort, 65536, 0, true},
                      Interruption{"RebuildFailedThenFinished", Cut::kRebuildFails, 150000, 203,
                                   false}),
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
