// The user's billing information: shipping address, card holder and card,
// kept as values of the application key. Everything is plain text except
// the card number, which is stored encrypted under a password the user
// chose and that is stored nowhere; the same password must be given to load
// it again. Used by the Options dialog's Billing and Erase Info and by
// purchases.
#pragma once

#include <string>

namespace store {

class BillingInfo {
public:
    // Card type codes as stored.
    static constexpr const char* kMasterCard = "MC";
    static constexpr const char* kVisa = "VISA";
    static constexpr const char* kDiscover = "DISCOVER";

    std::string name;  // shipping
    std::string addr;  // several lines
    std::string tel;
    std::string cname;  // as on the card; optional
    std::string caddr;  // optional
    std::string ctel;   // optional
    std::string cardnum;
    std::string cardtype;  // a code above
    std::string carddt;    // "MM/YY"

    // Billing information counts as present when "name" is not empty (an
    // empty "name" is planted when there is none).
    static bool Exists();

    // 0 with every field loaded; 1 with every field empty when the password
    // is too short or wrong. Registry errors pass to the caller.
    static int Load(const std::string& password, BillingInfo& out);

    // 0 when saved; 1 when nothing was written (a password too short, or
    // one of name, addr, tel, cardnum, cardtype, carddt empty).
    int Save(const std::string& password) const;

    // Asks "Are you sure ...?"; on Yes deletes every billing value,
    // skipping those that cannot be deleted (or do not exist).
    static void Erase();

    // The card-type radio buttons: 0 MasterCard, 1 VISA, 3 DISCOVER (2 is
    // stored as VISA); any code but MC and DISCOVER selects VISA.
    static const char* CardTypeCode(int radioIndex);
    static int RadioIndex(const std::string& cardType);

    friend bool operator==(const BillingInfo&, const BillingInfo&) = default;
};

}  // namespace store
