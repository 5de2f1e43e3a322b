#include "purchase/transfer_records.h"

#include "platform/paths.h"

namespace purchase {
namespace {

constexpr std::string_view kFieldEnd = "$$";

}  // namespace

std::string TransferRecords::Path() {
    return platform::JoinPath(platform::SystemDirectory(), "ambit.trn");
}

std::string TransferRecords::Format(const TransferRecord& r) {
    std::string out;
    for (const std::string* field :
         {&r.fileName, &r.userName, &r.userAddress, &r.userPhone, &r.holderName, &r.holderAddress,
          &r.holderPhone, &r.date, &r.price, &r.checksum, &r.server})
        out += *field + std::string(kFieldEnd);
    return out;
}

bool TransferRecords::Parse(const std::string& entry, TransferRecord& r) {
    std::string* fields[] = {&r.fileName,   &r.userName,      &r.userAddress, &r.userPhone,
                             &r.holderName, &r.holderAddress, &r.holderPhone, &r.date,
                             &r.price,      &r.checksum,      &r.server};
    std::size_t at = 0;
    for (std::string* field : fields) {
        std::size_t end = entry.find(kFieldEnd, at);
        if (end == std::string::npos) return false;
        *field = entry.substr(at, end - at);
        at = end + kFieldEnd.size();
    }
    return true;
}

bool TransferRecords::Append(const std::string& path, const TransferRecord& record,
                             std::string* error) {
    std::size_t slash = path.rfind('/');
    if (slash != std::string::npos && slash > 0) platform::MakeDirectories(path.substr(0, slash));
    std::string why;
    if (platform::AppendToStringArrayFile(path, Format(record), &why, 0600)) return true;
    if (error) *error = "The purchase could not be added to the transaction log. " + why;
    return false;
}

platform::StringArrayRead TransferRecords::ReadAll(const std::string& path,
                                                   std::vector<TransferRecord>& records,
                                                   std::string* error) {
    records.clear();
    std::vector<std::string> entries;
    platform::StringArrayRead result = platform::ReadStringArrayFile(path, entries, error);
    for (const std::string& entry : entries) {
        TransferRecord record;
        if (Parse(entry, record)) records.push_back(std::move(record));
    }
    return result;
}

int TransferRecords::CardChecksum(std::string_view cardNumber) {
    int sum = 0, digits = 0;
    for (std::size_t i = cardNumber.size(); i-- > 0 && digits < 4;) {
        char c = cardNumber[i];
        if (c < '0' || c > '9') continue;
        sum += c - '0';
        ++digits;
    }
    return sum;
}

std::string TransferRecords::DateText(std::time_t when) {
    char text[32] = "";
    std::tm local{};
    if (localtime_r(&when, &local)) std::strftime(text, sizeof text, "%m/%d/%y-%H:%M", &local);
    return text;
}

}  // namespace purchase
