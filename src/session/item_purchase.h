// Buying a priced catalog item, below the widgets: the billing check and
// its password, the order the user confirms, the order file that carries
// it to skiff, and skiff started with "FINFO". The window supplies the
// three things that need dialogs (the billing editor, the password, the
// order dialog) as steps, so the whole path can be driven without one.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "catalog/c_entry.h"
#include "session/skiff_starter.h"
#include "store/billing_info.h"

namespace session {

// What the order dialog shows and the user confirms. The price is the
// catalog's text and its exact value in cents; the tax and total shown
// come from the cents, so what is confirmed is what is charged.
struct OrderForm {
    std::string itemName;
    std::string priceText;
    std::uint32_t priceCents = 0;
    bool taxed = false;  // the Minnesota-resident box
    std::string holderName;
    std::string holderAddress;
    std::string holderPhone;
    std::string cardNumber;   // plain: the dialog shows it for checking
    std::string expiry;       // "MM/YY"
    bool masterCard = false;  // else VISA
};

class ItemPurchase {
public:
    struct Steps {
        // No billing information yet and the user wants to enter it now.
        std::function<void()> editBilling;
        // The billing password; nothing when the user cancelled.
        std::function<std::optional<std::string>()> askPassword;
        // Shows the order; false on Cancel. The form comes back as confirmed.
        std::function<bool(OrderForm&)> confirm;
    };

    static constexpr const char* kNoBillingQuestion =
        "You have not filled out the billing section of your options. Would you like to do so "
        "now?";
    static constexpr const char* kWrongPassword = "I'm sorry, that password is incorrect.";
    static constexpr const char* kInstallQuestion =
        "You have chosen to install a new version of Ambit. In order to install this you will "
        "need to quit this program.\nShall I quit for you?";

    ItemPurchase(const SkiffStarter& skiff, Steps steps)
        : skiff_(skiff), steps_(std::move(steps)) {}

    // The whole purchase of `entry` to `localPath`; true when skiff was
    // started. *installAndQuit is set when the item is the program's own
    // installer, the user agreed to quit, and skiff is running.
    bool Buy(const catalog::CEntry& entry, const std::string& localPath, bool* installAndQuit);

    // The order as first shown: the item, and the card holder and card
    // from the billing information.
    static OrderForm FormFor(const catalog::CEntry& entry, std::uint32_t priceCents,
                             const store::BillingInfo& billing);
    // The order file's elements for a confirmed form.
    static std::vector<std::string> OrderFor(const OrderForm& form,
                                             const std::string& scrambledCard,
                                             const catalog::CEntry& entry,
                                             const std::string& localPath,
                                             const store::BillingInfo& stored);
    // The program's own installer, by the end of its remote path, any case.
    static bool IsInstaller(const std::string& remotePath);

private:
    // The billing check and password; the loaded information, or nothing
    // when the purchase ends here.
    std::optional<store::BillingInfo> UnlockBilling();

    const SkiffStarter& skiff_;
    Steps steps_;
};

}  // namespace session
