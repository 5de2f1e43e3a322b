// Checks that need no network come first, so an order the server would
// refuse for its form (a text too long, too many card digits) costs no
// connection at all.
#include "purchase/purchase_exchange.h"

#include <arpa/inet.h>
#include <sys/random.h>

#include <charconv>
#include <cstdlib>
#include <string_view>

#include "net/client_socket.h"
#include "net/listen_socket.h"
#include "purchase/order_elements.h"
#include "purchase/pseudo_random.h"
#include "purchase/purchase_request.h"
#include "purchase/resume_records.h"
#include "purchase/transaction_log.h"
#include "store/registry_errors.h"

namespace purchase {

namespace {

constexpr const char* kDefaultTimeHost = "time.nist.gov";
constexpr const char* kDefaultCommerceHost = "commerce.internetambit.net";
constexpr std::uint32_t kSecondsFrom1900To1970 = 2208988800u;
constexpr std::size_t kBlockSize = 30;
constexpr std::size_t kMaxCardDigits = 20;
constexpr std::size_t kCardCharsExamined = 30;
constexpr std::size_t kExponentBytes = 32;

// The socket layer's error codes that have a result of their own.
enum SocketErrorCode : int {
    kRefused = 10061,
    kHostDown = 10064,
    kUnreachable = 10065,
    kHostNotFound = 11001,
};

// The key of the delivery service, 32 little-endian words each.
constexpr std::uint16_t kModulus[PurchaseRequest::kCipherWords] = {
    0x2fed, 0x47f4, 0x3b2f, 0xc5a7, 0xa258, 0xc02a, 0xca47, 0x4d9e, 0x584b, 0x3b31, 0x22ce,
    0x57cb, 0x87cd, 0x6265, 0x62d9, 0xce8b, 0x1e65, 0x14cd, 0x2a30, 0x99d6, 0xc81b, 0xfa84,
    0x2ef2, 0xbe4b, 0x78dc, 0x86f8, 0xb332, 0x24e7, 0x3d4c, 0xea3a, 0x0ba6, 0xc31c,
};
constexpr std::uint16_t kBase[PurchaseRequest::kCipherWords] = {
    0x53af, 0x6933, 0x4c1a, 0x95eb, 0xdeeb, 0x9cae, 0x6d1f, 0x2787, 0x6efc, 0x38a4, 0x9c8e,
    0x5b80, 0xd775, 0x278d, 0x637b, 0xa163, 0x5421, 0x38f1, 0x20f4, 0x7b20, 0x9846, 0x4f5d,
    0xd7f7, 0xf80b, 0xa222, 0xa8c3, 0x506a, 0xcbcb, 0x30c1, 0x2be0, 0xd862, 0x29e2,
};
constexpr std::uint16_t kPublic[PurchaseRequest::kCipherWords] = {
    0x0cef, 0xb389, 0x3e3a, 0x415b, 0x9957, 0x01dc, 0x9ce3, 0x4895, 0x2c1a, 0x2341, 0x2533,
    0x7fd2, 0xe0f3, 0xf90f, 0xb8b3, 0x0d09, 0xf638, 0xfe6f, 0x2010, 0x6871, 0xfc2c, 0x732e,
    0x2313, 0x65a5, 0x8187, 0x05f3, 0xae87, 0xd9e6, 0x2dfe, 0x7b73, 0xdb60, 0x593a,
};

BigNum FromWords(const std::uint16_t (&words)[PurchaseRequest::kCipherWords]) {
    unsigned char bytes[2 * PurchaseRequest::kCipherWords];
    for (std::size_t i = 0; i < PurchaseRequest::kCipherWords; ++i) {
        bytes[2 * i] = static_cast<unsigned char>(words[i]);
        bytes[2 * i + 1] = static_cast<unsigned char>(words[i] >> 8);
    }
    return BigNum::FromBytes(bytes, sizeof bytes);
}

// A number below a modulus of at most 512 bits always fits; a shorter one
// (a zero top word, about one number in 65,536) is padded with zero words
// rather than refused, since the server reads a fixed count.
std::vector<std::uint16_t> CipherWords(const BigNum& number) {
    std::vector<std::uint16_t> words(PurchaseRequest::kCipherWords);
    for (std::size_t i = 0; i < words.size(); ++i) words[i] = number.Word(i);
    return words;
}

// A fresh exponent for each encryption. With one fixed exponent y^k would be
// the same for every purchase, and anyone who knew a single block (a buyer
// knows their own) could divide it out of c2 and read every other card
// number sent. The server takes k's effect from c1, so it needs no change.
BigNum SecretExponent() {
    unsigned char bytes[kExponentBytes] = {};
    std::size_t got = 0;
    while (got < sizeof bytes) {
        ssize_t n = ::getrandom(bytes + got, sizeof bytes - got, 0);
        if (n > 0) got += static_cast<std::size_t>(n);
    }
    bytes[sizeof bytes - 1] |= 0x80;  // never 0 or small
    return BigNum::FromBytes(bytes, sizeof bytes);
}

// "host[:port]"; a port that is no number from 1 to 65535 keeps the default.
void ParseServer(const char* variable, std::string& host, std::uint16_t& port) {
    const char* value = std::getenv(variable);
    if (value == nullptr || *value == '\0') return;
    std::string_view text(value);
    std::size_t colon = text.rfind(':');
    host = std::string(text.substr(0, colon));
    if (colon == std::string_view::npos) return;
    unsigned number = 0;
    std::string_view digits = text.substr(colon + 1);
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (error == std::errc() && end == digits.data() + digits.size() && number >= 1 &&
        number <= 65535)
        port = static_cast<std::uint16_t>(number);
}

std::string CardDigits(const std::string& card) {
    std::string digits;
    for (std::size_t i = 0; i < card.size() && i < kCardCharsExamined; ++i)
        if (card[i] >= '0' && card[i] <= '9') digits += card[i];
    return digits;
}

// One 32-bit number that a server sends on connection; the connection then
// closes. nullopt when the socket was closed before the number came.
std::optional<std::uint32_t> ReadServerNumber(const std::string& host, std::uint16_t port) {
    ClientSocket socket(InetAddress(host, port), AsyncSocket::kRead | AsyncSocket::kClose);
    std::uint32_t number = socket.ReadLong();
    if (socket.IsClosed()) return std::nullopt;
    socket.Close();
    return number;
}

bool IsRefusal(int code) {
    switch (code) {
        case kServerError:
        case kIncorrectUserData:
        case kDeclined:
        case kWrongPrice:
        case kTransmissionError:
        case kVersionTooOld:
            return true;
        default:
            return false;
    }
}

// The request's texts from the order, with everything that needs no
// network; false when the order does not fit the record.
bool FillTexts(const ExchangeOrder& order, PurchaseRequest& request) {
    const std::vector<std::string>& e = order.elements;
    if (e.size() < static_cast<std::size_t>(OrderElements::kPurchaseElements)) return false;
    if (order.kind != PurchaseRequest::kNewPurchase && order.kind != PurchaseRequest::kResume)
        return false;
    if (CardDigits(order.plainCard).size() > kMaxCardDigits) return false;
    request.kind = order.kind;
    request.holderName = e[OrderElements::kHolderName];
    request.holderAddress = e[OrderElements::kHolderAddress];
    request.holderPhone = e[OrderElements::kHolderPhone];
    request.storedName = e[OrderElements::kStoredName];
    request.storedAddress = e[OrderElements::kStoredAddress];
    request.storedPhone = e[OrderElements::kStoredPhone];
    request.cardType = e[OrderElements::kCardType];
    request.expiry = e[OrderElements::kExpiry];
    request.remotePath = e[OrderElements::kRemotePath];
    request.salesTax = e[OrderElements::kSalesTax] == "1" ? 1 : 0;
    request.firstCipher.assign(PurchaseRequest::kCipherWords, 0);
    request.secondCipher.assign(PurchaseRequest::kCipherWords, 0);
    return OrderElements::Number(e[OrderElements::kPriceCents], request.priceCents) &&
           request.Encode().has_value();
}

}  // namespace

PurchaseServers PurchaseServers::FromEnvironment() {
    PurchaseServers servers;
    servers.timeHost = kDefaultTimeHost;
    servers.commerceHost = kDefaultCommerceHost;
    ParseServer("AMBIT_TIME_SERVER", servers.timeHost, servers.timePort);
    ParseServer("AMBIT_COMMERCE_SERVER", servers.commerceHost, servers.commercePort);
    std::uint32_t port = 0;
    const char* delivery = std::getenv("AMBIT_DELIVERY_PORT");
    if (delivery != nullptr && OrderElements::Number(delivery, port) && port >= 1 && port <= 65535)
        servers.deliveryPort = static_cast<std::uint16_t>(port);
    return servers;
}

int ResultForSocketError(int lastError) {
    switch (lastError) {
        case kRefused:
            return kConnectionRefused;
        case kHostDown:
        case kUnreachable:
        case kHostNotFound:
            return kHostUnreachable;
        default:
            return kSocketError;
    }
}

std::optional<std::string> PlainCardBlock(const std::string& card, const std::string& dottedAddress,
                                          std::uint32_t unixTime) {
    std::string block = CardDigits(card);
    if (block.size() > kMaxCardDigits) return std::nullopt;
    block += 'a';
    in_addr address{};
    ::inet_pton(AF_INET, dottedAddress.c_str(), &address);
    std::uint32_t octets = ntohl(address.s_addr);
    for (int shift = 24; shift >= 0; shift -= 8) block += static_cast<char>(octets >> shift);
    for (int shift = 0; shift < 32; shift += 8) block += static_cast<char>(unixTime >> shift);
    while (block.size() < kBlockSize) block += static_cast<char>(64 + PseudoRandom::Next() % 26);
    return block;
}

DeliveryKey DeliveryKey::BuiltIn() {
    return {FromWords(kModulus), FromWords(kBase), FromWords(kPublic)};
}

CipherPair EncryptCardBlock(const std::string& block, const DeliveryKey& key) {
    // The whole block is the message: cutting it at its first zero byte would
    // drop the address and the time whenever an octet of either is 0
    // (127.0.0.1, 10.0.x.x), and the server could not check them.
    BigNum m =
        BigNum::FromBytes(reinterpret_cast<const unsigned char*>(block.data()), block.size());
    BigNum k = SecretExponent();
    BigNum c1 = BigNum::PowerModulo(key.g, k, key.p);
    BigNum shared = BigNum::PowerModulo(key.y, k, key.p);
    BigNum c2 = BigNum::Divide(BigNum::Multiply(m, shared), key.p).remainder;
    return {CipherWords(c1), CipherWords(c2)};
}

ExchangeOutcome RunPurchaseExchange(const PurchaseServers& servers, const ExchangeOrder& order,
                                    ClientSocket& request, ListenSocket& data) {
    ExchangeOutcome outcome;
    outcome.transaction = order.transaction;
    PurchaseRequest record;
    if (!FillTexts(order, record)) {
        outcome.result = kBadUserData;
        return outcome;
    }
    const std::vector<std::string>& e = order.elements;
    bool created = false;
    try {
        std::optional<std::uint32_t> time = ReadServerNumber(servers.timeHost, servers.timePort);
        if (!time) return outcome;
        std::optional<std::uint32_t> ticket =
            ReadServerNumber(servers.commerceHost, servers.commercePort);
        if (!ticket) return outcome;
        outcome.ticket = record.ticket = *ticket;
        // The address the delivery server sees this connection come from,
        // which is what it compares; the host name's address may be another
        // interface's (or 127.0.1.1).
        std::string address = request.LocalAddress();
        std::string block =
            *PlainCardBlock(order.plainCard, address, *time - kSecondsFrom1900To1970);
        CipherPair cipher = EncryptCardBlock(block, DeliveryKey::BuiltIn());
        record.firstCipher = std::move(cipher.first);
        record.secondCipher = std::move(cipher.second);
        record.dataPort = static_cast<std::uint32_t>(data.LocalPort());

        if (order.kind == PurchaseRequest::kNewPurchase) {
            try {
                outcome.transaction = ResumeRecords::NextTransactionNumber();
                created = ResumeRecords::Create(outcome.transaction, e[OrderElements::kRemotePath],
                                                order.localPath, e[OrderElements::kHost],
                                                record.priceCents, record.salesTax != 0,
                                                e[OrderElements::kItemName]);
            } catch (const store::CRegistryError&) {
                created = false;
            }
            // Without a record the chunks would have nowhere to go.
            if (!created) {
                outcome.result = kIntermediateFileFailed;
                return outcome;
            }
        }
        record.transactionNumber = outcome.transaction;

        std::string wire = *record.Encode();
        request.Write(wire.data(), wire.size());
        auto code = static_cast<std::int32_t>(request.ReadLong());
        auto second = static_cast<std::int32_t>(request.ReadLong());
        if (request.IsClosed()) {  // Abort
            outcome.result = kSocketError;
            return outcome;
        }
        TransactionLog::Append(TransactionLog::Path(), code, record, second,
                               e[OrderElements::kItemName]);
        if (code == kAuthorised) {
            // Only a 0 byte that arrived authorises: a server that hangs up
            // after code 1 has not.
            char byte[2];
            int count = request.Read(byte, sizeof byte);
            outcome.result = count == 1 && byte[0] == 0 ? kAuthorised : kBadAuthorisation;
        } else {
            if (IsRefusal(code)) {
                try {
                    ResumeRecords::Delete(outcome.transaction);
                } catch (const store::CRegistryError&) {
                    // The start-up offer finds it again; the refusal still stands.
                }
            }
            outcome.result = code;
        }
    } catch (const CWinsockErr&) {
        outcome.result = ResultForSocketError(WinsockUser::LastError());
    }
    return outcome;
}

}  // namespace purchase
