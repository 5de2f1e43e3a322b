// The order file that carries a purchase (or the resume of a paid transfer)
// from ambit to skiff: one string list in the shared list format, written by
// ambit, read once by skiff and deleted at once, before any network work,
// since it holds the card holder's data and the scrambled card number.
#pragma once

#include <string>
#include <vector>

namespace transfer {

class OrderFile {
public:
    // Element indices.
    enum Element {
        kHolderName = 0,
        kHolderAddress = 1,
        kHolderPhone = 2,
        kCardType = 3,
        kExpiry = 4,
        kPriceCents = 5,
        kScrambledCard = 6,
        kHost = 7,
        kItemName = 8,
        kRemotePath = 9,
        kLocalPath = 10,
        kStoredName = 11,
        kStoredAddress = 12,
        kStoredPhone = 13,
        kSalesTax = 14,
        kResumeRecord = 15,
    };
    static constexpr int kPurchaseElements = 15;  // a resume adds kResumeRecord

    // What the purchase flow shows when the order cannot be read.
    static constexpr const char* kReadErrorMessage = "Error in pFile read";

    // Reads the order and deletes the file (whenever it could be opened, so
    // a damaged order leaves no card data behind). False when it could not
    // be opened or read, or holds fewer elements than an order has; *error
    // then says why (for a diagnostic; the user sees kReadErrorMessage).
    static bool ReadAndDelete(const std::string& path, bool isResume,
                              std::vector<std::string>& elements, std::string* error = nullptr);
};

}  // namespace transfer
