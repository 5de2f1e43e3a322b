// The purchase exchange: skiff takes the time from the time server and a
// ticket from the commerce server, encrypts the card number with the time
// and this machine's address under the delivery service's public key, sends
// the request record to the delivery server on the item's host and reads its
// verdict. The file itself then arrives over the data socket (the purchase
// flow's business). Everything it reads from a server is a fixed-size
// number, and every wait is bounded by the socket layer's time-out.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "purchase/big_num.h"

class ClientSocket;
class ListenSocket;

namespace purchase {

// Where the purchase services are. The defaults are the service's own
// hosts; AMBIT_TIME_SERVER and AMBIT_COMMERCE_SERVER ("host[:port]") and
// AMBIT_DELIVERY_PORT move them (tests, the demo).
struct PurchaseServers {
    static constexpr std::uint16_t kTimePort = 37;  // RFC 868
    static constexpr std::uint16_t kCommercePort = 7771;
    static constexpr std::uint16_t kDeliveryPort = 7769;

    std::string timeHost;
    std::uint16_t timePort = kTimePort;
    std::string commerceHost;
    std::uint16_t commercePort = kCommercePort;
    std::uint16_t deliveryPort = kDeliveryPort;

    static PurchaseServers FromEnvironment();
};

// The exchange's own results and the delivery server's reply codes that it
// acts on; any other reply code is passed on unchanged.
enum ExchangeResult : int {
    kAuthorised = 1,
    // Refusals: the server will not deliver, so the resume record goes.
    kServerError = 2,
    kIncorrectUserData = 3,
    kDeclined = 5,
    kWrongPrice = 12,
    kTransmissionError = 13,
    kVersionTooOld = 15,
    kIntermediateFileFailed = 202,  // no resume record or chunk folder
    kBadUserData = 204,             // a field too long, more than 20 card digits
    kBadAuthorisation = 205,        // code 1 not followed by a 0 byte
    kSocketError = 300,
    kConnectionRefused = 301,
    kHostUnreachable = 302,
};

struct ExchangeOrder {
    char kind = 'n';                    // PurchaseRequest::kNewPurchase / kResume
    std::vector<std::string> elements;  // the order file's, indexed by OrderElements
    std::string plainCard;              // element 6 unscrambled
    std::string localPath;              // absolute destination path
    std::uint32_t transaction = 0;      // a resume's record number
};

struct ExchangeOutcome {
    int result = kSocketError;
    std::uint32_t transaction = 0;  // the record the purchase uses
    std::uint32_t ticket = 0;       // from the commerce server
};

// request: connected (or connecting) to the item's host at deliveryPort;
// data: listening, its port goes into the request. Both stay open. A socket
// error anywhere becomes 300/301/302. An order that does not fit the record
// gives 204 before any connection. For kind "n" the resume record is
// created before the request is sent (202 if it cannot be); codes 2, 3, 5,
// 12, 13 and 15 delete it again.
ExchangeOutcome RunPurchaseExchange(const PurchaseServers& servers, const ExchangeOrder& order,
                                    ClientSocket& request, ListenSocket& data);

// The result for the socket layer's last error.
int ResultForSocketError(int lastError);

// The 30-byte card block: the card's digits (of its first 30 characters),
// "a", the IPv4 address (octets in dotted order), the Unix time (least
// significant byte first) and filler from PseudoRandom. nullopt with more
// than 20 digits.
std::optional<std::string> PlainCardBlock(const std::string& card, const std::string& dottedAddress,
                                          std::uint32_t unixTime);

// The public key of the delivery service.
struct DeliveryKey {
    BigNum p;
    BigNum g;
    BigNum y;
    static DeliveryKey BuiltIn();
};

// c1 = g^k mod p and c2 = m * y^k mod p, k a fresh random exponent and m
// the whole block as a little-endian number; each as exactly kCipherWords
// words, zero-extended when the number is shorter.
struct CipherPair {
    std::vector<std::uint16_t> first;
    std::vector<std::uint16_t> second;
};
CipherPair EncryptCardBlock(const std::string& block, const DeliveryKey& key);

}  // namespace purchase
