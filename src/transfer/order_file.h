// The order file that carries a purchase (or the resume of a paid transfer)
// from ambit to skiff: one string list in the shared list format, written by
// ambit, read once by skiff and deleted at once, before any network work,
// since it holds the card holder's data and the scrambled card number.
#pragma once

#include <string>
#include <vector>

#include "purchase/order_elements.h"

namespace transfer {

// The element indexes come from purchase::OrderElements, shared with the writer.
class OrderFile : public purchase::OrderElements {
public:
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
