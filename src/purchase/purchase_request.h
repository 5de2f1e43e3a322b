// The purchase request record that skiff sends to the delivery server, field
// for field in the order it goes on the wire, so that the sender and the
// transaction log share one definition. Texts are bounded by the record's
// field sizes (kMaxText, kMaxShortText); a text that does not fit makes the
// purchase fail before anything is sent.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace purchase {

struct PurchaseRequest {
    static constexpr char kNewPurchase = 'n';
    static constexpr char kResume = 'r';
    static constexpr std::size_t kMaxText = 255;
    static constexpr std::size_t kMaxShortText = 9;  // card type, expiry date
    static constexpr std::size_t kCipherWords = 32;

    char kind = kNewPurchase;
    std::uint8_t constant1 = 1;
    std::uint8_t constant2 = 1;
    std::uint32_t ticket = 0;  // from the commerce server
    std::int32_t reserved = 0;
    std::string holderName;  // as confirmed in the order
    std::string holderAddress;
    std::string holderPhone;
    std::string storedName;  // card holder as stored in the billing data
    std::string storedAddress;
    std::string storedPhone;
    std::string cardType;
    std::vector<std::uint16_t> firstCipher;   // kCipherWords words
    std::vector<std::uint16_t> secondCipher;  // kCipherWords words
    std::string unusedText;                   // a 32-byte field nothing fills
    std::string expiry;
    std::uint32_t transactionNumber = 0;
    std::string reservedText;  // always empty
    std::string remotePath;
    std::uint32_t priceCents = 0;
    std::uint32_t dataPort = 0;
    std::string reservedText2;  // always empty
    std::string reservedText3;  // always empty
    std::uint8_t salesTax = 0;

    // The record as it goes on the wire: integers 32-bit big-endian, a text
    // as its length then its bytes, a cipher number as its word count then
    // each word as an integer. nullopt when a text does not fit its field
    // or a cipher number is not kCipherWords words: nothing may be sent.
    std::optional<std::string> Encode() const;
};

}  // namespace purchase
