// The transfer record "ambit.trn" in the system directory: one entry per
// completed purchase, which ambit's Transaction Log dialog lists and prints.
// A string-list file like the download log, appended under the same kind of
// advisory lock, so that two skiffs finishing at once both keep their entry.
// Each entry is eleven fields, each followed by "$$". It holds names,
// addresses and card checksums, so it is private to the user (0600).
#pragma once

#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "platform/string_array_file.h"

namespace purchase {

struct TransferRecord {
    std::string fileName;  // display name of the bought file
    std::string userName;  // the end user, as confirmed in the order
    std::string userAddress;
    std::string userPhone;
    std::string holderName;  // the card holder, as stored in the billing data
    std::string holderAddress;
    std::string holderPhone;
    std::string date;      // DateText of the purchase
    std::string price;     // "%.2f", tax included
    std::string checksum;  // CardChecksum as decimal text
    std::string server;    // the item's host
};

class TransferRecords {
public:
    static constexpr int kFields = 11;

    // "<system directory>/ambit.trn".
    static std::string Path();

    static std::string Format(const TransferRecord& record);
    // False when the entry has fewer than kFields "$$"-ended fields.
    static bool Parse(const std::string& entry, TransferRecord& record);

    // Appends one entry (a missing file is created). False, with a message
    // in *error, when the file is damaged or cannot be written.
    static bool Append(const std::string& path, const TransferRecord& record,
                       std::string* error = nullptr);
    // Every entry that parses, in file order; entries that do not are
    // skipped. A missing file is kMissing with no records.
    static platform::StringArrayRead ReadAll(const std::string& path,
                                             std::vector<TransferRecord>& records,
                                             std::string* error = nullptr);

    // The sum of the last four digits of the card number ("...1234" gives
    // 10): enough to tell cards apart without keeping the number.
    static int CardChecksum(std::string_view cardNumber);
    // Local time as "%m/%d/%y-%H:%M".
    static std::string DateText(std::time_t when);
};

}  // namespace purchase
