// The transaction log "ambtrn.log" in the system directory: one text line
// per answer of the delivery server, good or bad, for the user's own
// records; nothing reads it back. Every text is preceded by its length in
// bytes and has its line breaks made blanks, so one answer is one line and
// a reader can take texts with blanks. The card number and the cipher
// numbers are never written. The file holds names, addresses and phone
// numbers, so it is private to the user (0600).
#pragma once

#include <cstdint>
#include <string>

#include "purchase/purchase_request.h"

namespace purchase {

class TransactionLog {
public:
    // "<system directory>/ambtrn.log".
    static std::string Path();

    // The line, ending in "\n":
    // " code 1 1 kind reserved" then length and text of the holder's name,
    // address and phone, the stored name, address and phone, card type,
    // unused text and expiry, then the transaction number, the reserved
    // text, the remote path, price, data port, the two reserved texts, the
    // sales-tax flag, the second value of the answer and the display name.
    static std::string FormatLine(std::int32_t replyCode, const PurchaseRequest& request,
                                  std::int32_t secondValue, const std::string& displayName);

    // Appends the line to the log at path. 1 when the log cannot be opened
    // or written (the purchase goes on without it), 0 otherwise.
    static int Append(const std::string& path, std::int32_t replyCode,
                      const PurchaseRequest& request, std::int32_t secondValue,
                      const std::string& displayName);
};

}  // namespace purchase
