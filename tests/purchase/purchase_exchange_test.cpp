// The purchase exchange against the test merchant on 127.0.0.1: the merchant
// decrypts the card block with its private key and checks it, so a case
// that passes proves the public key, the block and the record byte for byte.
// One table of orders and merchant behaviours, each checked for the result,
// what the merchant received, the resume record and the transaction log.
#include "purchase/purchase_exchange.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QJsonArray>
#include <QTimer>
#include <cctype>
#include <fstream>
#include <functional>

#include "net/client_socket.h"
#include "net/listen_socket.h"
#include "purchase/order_elements.h"
#include "purchase/resume_records.h"
#include "purchase/transaction_log.h"
#include "purchase_fixture.h"
#include "test_merchant.h"

using purchase::OrderElements;
using purchase::ResumeRecord;
using purchase::ResumeRecords;

namespace {

constexpr const char* kCard = "4111111111111111";

using Change = std::function<void(purchase::ExchangeOrder&, purchase::PurchaseServers&)>;

// A TCP socket on a free port of 127.0.0.1, listening or not.
struct Loopback {
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    std::uint16_t port = 0;
    explicit Loopback(bool listening) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (::bind(fd, reinterpret_cast<sockaddr*>(&a), len) == 0 &&
            (!listening || ::listen(fd, 1) == 0))
            ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
        port = ntohs(a.sin_port);
    }
    ~Loopback() { ::close(fd); }
};

Change Element(int element, std::string value) {
    return [=](auto& order, auto&) { order.elements[element] = value; };
}
Change Card(std::string card) {
    return [=](auto& order, auto&) { order.plainCard = card; };
}
// A server port where nothing listens: bound, then released.
Change Refused(std::uint16_t purchase::PurchaseServers::*port) {
    return [=](auto&, auto& servers) { servers.*port = Loopback(false).port; };
}

struct Case {
    const char* name;
    std::vector<std::string> merchantArgs;
    Change change;
    int result;
    bool delivered;    // the delivery server got a request
    bool keepsRecord;  // a resume record is left for the start-up offer
};

class PurchaseExchangeTest : public PurchaseTest {
protected:
    purchase::ExchangeOrder Order() const {
        purchase::ExchangeOrder order;
        order.kind = 'n';
        order.elements.assign(OrderElements::kPurchaseElements, "");
        auto& e = order.elements;
        e[OrderElements::kHolderName] = "Pat Buyer";
        e[OrderElements::kHolderAddress] = "12 Column St, Duluth MN 55802";
        e[OrderElements::kHolderPhone] = "555-0100";
        e[OrderElements::kCardType] = "VISA";
        e[OrderElements::kExpiry] = "12/29";
        e[OrderElements::kPriceCents] = "1000";
        e[OrderElements::kHost] = "127.0.0.1";
        e[OrderElements::kItemName] = "Demo Item";
        e[OrderElements::kRemotePath] = "/pub/item.bin";
        e[OrderElements::kStoredName] = "Pat Buyer";
        e[OrderElements::kStoredAddress] = "12 Column St, Duluth MN 55802";
        e[OrderElements::kStoredPhone] = "555-0100";
        e[OrderElements::kSalesTax] = "1";
        order.plainCard = kCard;
        order.localPath = Dir().File("item.bin");
        return order;
    }

    // Runs the exchange as skiff does: request connection to the delivery
    // port, data socket listening on the loopback address.
    purchase::ExchangeOutcome Run(
        const testsupport::TestMerchant& merchant, purchase::ExchangeOrder order,
        const std::function<void(purchase::ExchangeOrder&, purchase::PurchaseServers&)>& change) {
        merchant.Export();
        purchase::PurchaseServers servers = purchase::PurchaseServers::FromEnvironment();
        if (change) change(order, servers);
        ClientSocket request(InetAddress("127.0.0.1", servers.deliveryPort),
                             AsyncSocket::kRead | AsyncSocket::kWrite | AsyncSocket::kClose);
        ListenSocket data(0, 1, AsyncSocket::kRead | AsyncSocket::kClose, "127.0.0.1");
        dataPort_ = data.LocalPort();
        return purchase::RunPurchaseExchange(servers, order, request, data);
    }

    static std::vector<std::string> LogLines() {
        std::ifstream in(purchase::TransactionLog::Path());
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

    static bool HasRecord(std::uint32_t number) {
        ResumeRecord record;
        for (std::uint32_t i = 0;; ++i) {
            if (ResumeRecords::Find(i, record) == ResumeRecords::Found::kNone) return false;
            if (record.number == number) return true;
        }
    }

    int dataPort_ = 0;
};

using Servers = purchase::PurchaseServers;
const Case kCases[] = {
    {"authorised", {"--price", "1000"}, nullptr, 1, true, true},
    {"card with blanks and dashes", {}, Card("4111 1111-1111 1111"), 1, true, true},
    {"declined card", {"--card", "4000000000000002"}, nullptr, 5, true, false},
    {"declined by choice", {"--code", "5"}, nullptr, 5, true, false},
    {"price the server disputes", {"--price", "999"}, nullptr, 12, true, false},
    {"server error", {"--code", "2"}, nullptr, 2, true, false},
    {"version too old", {"--code", "15"}, nullptr, 15, true, false},
    {"unknown code passes through", {"--code", "7"}, nullptr, 7, true, true},
    {"code 1 without the 0 byte", {"--auth-byte", "1"}, nullptr, 205, true, true},
    {"code 1 then hang-up", {"--auth-byte", "-1"}, nullptr, 205, true, true},
    {"holder name of 256", {}, Element(0, std::string(256, 'N')), 204, false, false},
    {"21 card digits", {}, Card("411111111111111111112"), 204, false, false},
    {"card type of 10", {}, Element(3, "MASTERCARD"), 204, false, false},
    {"remote path of 256", {}, Element(9, std::string(256, 'p')), 204, false, false},
    {"price that is no number", {}, Element(5, "10.00"), 204, false, false},
    {"time server refuses", {}, Refused(&Servers::timePort), 301, false, false},
    {"commerce server refuses", {}, Refused(&Servers::commercePort), 301, false, false},
    {"delivery server refuses", {}, Refused(&Servers::deliveryPort), 301, false, true},
    {"time server unknown",
     {},
     [](auto&, auto& s) { s.timeHost = "nowhere.invalid"; },
     302,
     false,
     false},
};

class ExchangeCases : public PurchaseExchangeTest, public ::testing::WithParamInterface<Case> {};

TEST_P(ExchangeCases, ResultRequestRecordAndLog) {
    const Case& c = GetParam();
    std::vector<std::string> args{"--file", Dir().Write("sold.bin", std::string(1000, 's'))};
    args.insert(args.end(), c.merchantArgs.begin(), c.merchantArgs.end());
    testsupport::TestMerchant merchant(args);
    ASSERT_TRUE(merchant.Started()) << merchant.Error();

    purchase::ExchangeOutcome outcome = Run(merchant, Order(), c.change);
    EXPECT_EQ(outcome.result, c.result);

    auto requests = merchant.Events("request");
    ASSERT_EQ(requests.size(), c.delivered ? 1u : 0u);
    if (c.result == purchase::kBadUserData) {
        EXPECT_TRUE(merchant.Events().empty()) << "nothing may reach the servers";
    }
    EXPECT_EQ(LogLines().size(), c.delivered ? 1u : 0u);
    if (c.delivered) {
        QJsonObject request = requests[0]["request"].toObject();
        EXPECT_EQ(requests[0]["card"].toString().toStdString(), kCard);
        EXPECT_EQ(request["kind"].toString(), "n");
        EXPECT_EQ(request["ticket"].toInt(), static_cast<int>(outcome.ticket));
        EXPECT_EQ(request["transaction"].toInt(), 1);
        EXPECT_EQ(request["name"].toString(), "Pat Buyer");
        EXPECT_EQ(request["price"].toInt(), 1000);
        EXPECT_EQ(request["sales_tax"].toInt(), 1);
        EXPECT_EQ(request["path"].toString(), "/pub/item.bin");
        EXPECT_EQ(request["port"].toInt(), dataPort_);
        // Each check the merchant made that is not the one this case fails.
        for (const char* check : {"kind", "constants", "ticket", "block", "a", "address", "time"})
            EXPECT_TRUE(requests[0]["passed"].toArray().contains(QString(check))) << check;
        EXPECT_EQ(
            LogLines()[0].rfind(
                " " + std::to_string(requests[0]["code"].toInt()) + " 1 1 n 0 9 Pat Buyer", 0),
            0u)
            << LogLines()[0];
    }
    EXPECT_EQ(HasRecord(outcome.transaction), c.keepsRecord);
}

INSTANTIATE_TEST_SUITE_P(Exchange, ExchangeCases, ::testing::ValuesIn(kCases),
                         [](const auto& info) {
                             std::string name = info.param.name;
                             for (char& ch : name)
                                 if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
                             return name;
                         });

// A resume names its record and takes no new number.
TEST_F(PurchaseExchangeTest, ResumeSendsItsRecordNumberAndCreatesNone) {
    std::uint32_t number = ResumeRecords::NextTransactionNumber();
    ASSERT_TRUE(ResumeRecords::Create(number, "/pub/item.bin", Dir().File("item.bin"), "127.0.0.1",
                                      1000, true, "Demo Item"));
    testsupport::TestMerchant merchant({"--file", Dir().Write("sold.bin", "x"), "--code", "7"});
    ASSERT_TRUE(merchant.Started()) << merchant.Error();
    purchase::ExchangeOrder order = Order();
    order.kind = 'r';
    order.transaction = number;

    EXPECT_EQ(Run(merchant, order, nullptr).result, 7);
    auto requests = merchant.Events("request");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0]["request"].toObject()["kind"].toString(), "r");
    EXPECT_EQ(requests[0]["request"].toObject()["transaction"].toInt(), static_cast<int>(number));
    EXPECT_EQ(ResumeRecords::NextTransactionNumber(), number + 1);
}

// Abort while the time server keeps silent ends the wait at once, without
// the socket layer's time-out.
TEST_F(PurchaseExchangeTest, AbortEndsTheWaitForTheTimeServer) {
    Loopback silent(true);
    testsupport::TestMerchant merchant({"--file", Dir().Write("sold.bin", "x")});
    ASSERT_TRUE(merchant.Started()) << merchant.Error();
    WinsockUser::Record("", 0);

    QTimer::singleShot(50, [] { purchase::AbortPurchaseExchange(); });
    auto outcome =
        Run(merchant, Order(), [&](auto&, auto& servers) { servers.timePort = silent.port; });
    EXPECT_EQ(outcome.result, purchase::kSocketError);
    EXPECT_EQ(WinsockUser::LastError(), 0) << WinsockUser::ErrorText();
    EXPECT_TRUE(merchant.Events().empty());
}

// The block's layout, which the merchant parses by position.
TEST(CardBlock, DigitsMarkAddressTimeAndFiller) {
    struct {
        std::string card;
        std::string digits;  // empty: refused
    } cases[] = {
        {"4111 1111-1111 1111", "4111111111111111"},
        {std::string(20, '9'), std::string(20, '9')},
        {std::string(21, '9'), ""},
        // Only the first 30 characters count.
        {std::string(20, '1') + std::string(10, ' ') + "99", std::string(20, '1')},
    };
    for (const auto& c : cases) {
        auto block = purchase::PlainCardBlock(c.card, "127.0.0.1", 0x01020304);
        ASSERT_EQ(block.has_value(), !c.digits.empty()) << c.card;
        if (!block) continue;
        std::size_t n = c.digits.size();
        ASSERT_EQ(block->size(), 30u);
        EXPECT_EQ(block->substr(0, n + 1), c.digits + "a");
        EXPECT_EQ(block->substr(n + 1, 8), std::string("\x7f\0\0\x01\x04\x03\x02\x01", 8));
        for (char filler : block->substr(n + 9)) EXPECT_TRUE(filler >= 64 && filler <= 89);
    }
}

// A cipher number with zero words at the top still goes as 32 words: with
// g = y = 1, c1 is 1 and c2 the block itself (15 words).
TEST(CardBlock, ShortCipherNumbersAreZeroExtended) {
    purchase::DeliveryKey key = purchase::DeliveryKey::BuiltIn();
    key.g = key.y = purchase::BigNum::FromInteger(1);
    std::string block = *purchase::PlainCardBlock(kCard, "10.0.0.7", 1234567890);
    purchase::CipherPair cipher = purchase::EncryptCardBlock(block, key);

    std::vector<std::uint16_t> first(32, 0), second(32, 0);
    first[0] = 1;
    for (std::size_t i = 0; i < 15; ++i)
        second[i] = static_cast<std::uint16_t>(static_cast<unsigned char>(block[2 * i]) |
                                               static_cast<unsigned char>(block[2 * i + 1]) << 8);
    EXPECT_EQ(cipher.first, first);
    EXPECT_EQ(cipher.second, second);
}

// One block encrypted twice gives unrelated numbers: a fixed exponent would
// give the same c1 and a c2 that a single known block unlocks for all.
TEST(CardBlock, EachEncryptionDrawsItsOwnExponent) {
    std::string block = *purchase::PlainCardBlock(kCard, "10.0.0.7", 1234567890);
    auto key = purchase::DeliveryKey::BuiltIn();
    purchase::CipherPair a = purchase::EncryptCardBlock(block, key);
    purchase::CipherPair b = purchase::EncryptCardBlock(block, key);
    EXPECT_NE(a.first, b.first);
    EXPECT_NE(a.second, b.second);
}

}  // namespace
