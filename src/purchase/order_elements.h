// The elements of the order file that carries a purchase, or the resume of
// a paid transfer, from ambit to skiff: one string list, by index. ambit
// writes it (OrderFileWriter), skiff reads it (transfer::OrderFile).
#pragma once

#include <charconv>
#include <cstdint>
#include <string>

namespace purchase {

struct OrderElements {
    enum Element {
        kHolderName = 0,  // as confirmed in the order
        kHolderAddress = 1,
        kHolderPhone = 2,
        kCardType = 3,  // "VISA" or "MC"
        kExpiry = 4,    // "MM/YY"
        kPriceCents = 5,
        kScrambledCard = 6,
        kHost = 7,
        kItemName = 8,
        kRemotePath = 9,
        kLocalPath = 10,
        kStoredName = 11,  // card holder as stored in the billing data
        kStoredAddress = 12,
        kStoredPhone = 13,
        kSalesTax = 14,      // "1" or "0"
        kResumeRecord = 15,  // a resume only: the record's transaction number
    };
    static constexpr int kPurchaseElements = 15;  // a resume adds kResumeRecord
    static constexpr int kResumeElements = 16;

    // A numeric element (the price in cents, the record number): decimal
    // digits only, within 32 bits; false for anything else.
    static bool Number(const std::string& text, std::uint32_t& number) {
        auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
        return error == std::errc() && end == text.data() + text.size() && !text.empty();
    }
};

}  // namespace purchase
