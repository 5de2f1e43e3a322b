#include "session/resume_offer.h"

#include <unistd.h>

#include "platform/prompt.h"
#include "purchase/order_elements.h"
#include "purchase/order_file_writer.h"
#include "store/password.h"
#include "store/registry_application.h"
#include "store/registry_errors.h"
#include "store/scramble.h"

namespace session {
namespace {

using purchase::OrderElements;
using purchase::ResumeRecord;
using purchase::ResumeRecords;

std::string Question(const std::string& source) {
    std::string text = ResumeOffer::kQuestion;
    return text.replace(text.find("%s"), 2, source);
}

}  // namespace

int ResumeOffer::Run() {
    int started = 0;
    for (std::uint32_t position = 0;; ++position) {
        ResumeRecord record;
        try {
            ResumeRecords::Found found = ResumeRecords::Find(position, record);
            if (found == ResumeRecords::Found::kNone) break;
            if (found == ResumeRecords::Found::kInProgress) continue;
        } catch (const store::CRegistryError&) {
            // A damaged record cannot be resumed; the others still can.
            continue;
        }
        if (Offer(record)) ++started;
    }
    return started;
}

bool ResumeOffer::Offer(const ResumeRecord& record) {
    platform::Prompt& prompt = platform::CurrentPrompt();
    if (!prompt.AskYesNo(Question(record.sourceName))) return false;
    if (!store::BillingInfo::Exists()) {
        prompt.Message(
            "The transfer cannot be resumed without your billing information. Enter it "
            "under Options, Billing, then choose Resume Transfer.");
        return false;
    }
    std::optional<std::string> password = askPassword_();
    if (!password) return false;
    store::BillingInfo billing;
    if (store::BillingInfo::Load(*password, billing) != 0) {
        prompt.Message(store::kIncorrectPasswordMessage);
        return false;
    }
    std::string scrambled, error;
    if (!store::TryScramble(billing.cardnum, scrambled, &error)) {
        prompt.Message(error);
        return false;
    }
    std::string path =
        purchase::OrderFileWriter::Write(OrderFor(record, billing, scrambled), &error);
    if (path.empty()) {
        prompt.Message(error);
        return false;
    }
    if (skiff_.Start({"RINFO", path})) return true;
    ::unlink(path.c_str());  // no skiff will read it: take the card data away again
    return false;
}

std::vector<std::string> ResumeOffer::OrderFor(const ResumeRecord& record,
                                               const store::BillingInfo& billing,
                                               const std::string& scrambledCard) {
    std::vector<std::string> order(OrderElements::kResumeElements);
    order[OrderElements::kHolderName] = billing.cname;
    order[OrderElements::kHolderAddress] = billing.caddr;
    order[OrderElements::kHolderPhone] = billing.ctel;
    order[OrderElements::kCardType] = billing.cardtype;
    order[OrderElements::kExpiry] = billing.carddt;
    order[OrderElements::kPriceCents] = std::to_string(record.priceCents);
    order[OrderElements::kScrambledCard] = scrambledCard;
    order[OrderElements::kHost] = record.server;
    order[OrderElements::kItemName] = record.itemName;
    order[OrderElements::kRemotePath] = record.sourceName;
    order[OrderElements::kLocalPath] = record.destName;
    order[OrderElements::kStoredName] = billing.cname;
    order[OrderElements::kStoredAddress] = billing.caddr;
    order[OrderElements::kStoredPhone] = billing.ctel;
    order[OrderElements::kSalesTax] = record.salesTax ? "1" : "0";
    order[OrderElements::kResumeRecord] = std::to_string(record.number);
    return order;
}

}  // namespace session
