// The offer, at start-up and on "Resume Transfer", to finish purchases that
// were interrupted. Every resume record whose skiff is no longer running is
// offered by its remote path; on Yes the billing information is unlocked
// with the user's password and skiff is started with "RINFO" and an order
// file that names the record. No leaves the record for the next time.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "purchase/resume_records.h"
#include "session/skiff_starter.h"
#include "store/billing_info.h"

namespace session {

class ResumeOffer {
public:
    // Asks for the billing password; nothing when the user cancelled.
    using AskPassword = std::function<std::optional<std::string>()>;

    static constexpr const char* kQuestion =
        "I was interrupted in the middle of transfering %s. Would you like me to resume the "
        "transfer?";

    ResumeOffer(const SkiffStarter& skiff, AskPassword askPassword)
        : skiff_(skiff), askPassword_(std::move(askPassword)) {}

    // Offers every record in turn; returns how many transfers were started.
    int Run();

    // The order file of a resume: the card holder and card from the billing
    // information, the item from the record, its number last.
    static std::vector<std::string> OrderFor(const purchase::ResumeRecord& record,
                                             const store::BillingInfo& billing,
                                             const std::string& scrambledCard);

private:
    // Asks about one record and starts skiff on Yes; true when started.
    bool Offer(const purchase::ResumeRecord& record);

    const SkiffStarter& skiff_;
    AskPassword askPassword_;
};

}  // namespace session
