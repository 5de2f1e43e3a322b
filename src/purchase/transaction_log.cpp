#include "purchase/transaction_log.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include "platform/paths.h"

namespace purchase {
namespace {

// " <length> <text>" with the text's line breaks made blanks.
std::string Counted(std::string text) {
    for (char& c : text)
        if (c == '\r' || c == '\n') c = ' ';
    return " " + std::to_string(text.size()) + " " + text;
}

std::string Int(long long value) { return " " + std::to_string(value); }

}  // namespace

std::string TransactionLog::Path() {
    return platform::JoinPath(platform::SystemDirectory(), "ambtrn.log");
}

std::string TransactionLog::FormatLine(std::int32_t replyCode, const PurchaseRequest& r,
                                       std::int32_t secondValue, const std::string& displayName) {
    std::string line =
        Int(replyCode) + Int(r.constant1) + Int(r.constant2) + " " + r.kind + Int(r.reserved);
    for (const std::string* text :
         {&r.holderName, &r.holderAddress, &r.holderPhone, &r.storedName, &r.storedAddress,
          &r.storedPhone, &r.cardType, &r.unusedText, &r.expiry})
        line += Counted(*text);
    line += Int(r.transactionNumber) + Counted(r.reservedText) + Counted(r.remotePath) +
            Int(r.priceCents) + Int(r.dataPort) + Counted(r.reservedText2) +
            Counted(r.reservedText3) + Int(r.salesTax) + Int(secondValue) + Counted(displayName);
    return line + "\n";
}

int TransactionLog::Append(const std::string& path, std::int32_t replyCode,
                           const PurchaseRequest& request, std::int32_t secondValue,
                           const std::string& displayName) {
    std::string line = FormatLine(replyCode, request, secondValue, displayName);
    int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return 1;
    // A log left readable by an older version becomes private too.
    ::fchmod(fd, 0600);
    FILE* file = ::fdopen(fd, "a");
    if (!file) {
        ::close(fd);
        return 1;
    }
    bool written = std::fwrite(line.data(), 1, line.size(), file) == line.size();
    return std::fclose(file) == 0 && written ? 0 : 1;
}

}  // namespace purchase
