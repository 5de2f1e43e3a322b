#include "session/item_purchase.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>

#include "platform/file_actions.h"
#include "platform/paths.h"
#include "platform/prompt.h"
#include "purchase/order_elements.h"
#include "purchase/order_file_writer.h"
#include "purchase/price.h"
#include "store/registry_application.h"
#include "store/registry_errors.h"
#include "store/scramble.h"

namespace session {
namespace {

using purchase::OrderElements;

constexpr std::string_view kInstallerName = "AMBIT+INSTALL.EXE";

}  // namespace

bool ItemPurchase::Buy(const catalog::CEntry& entry, const std::string& localPath,
                       bool* installAndQuit) {
    if (installAndQuit) *installAndQuit = false;
    platform::Prompt& prompt = platform::CurrentPrompt();
    // Checked before the card is touched: an amount the merchant cannot
    // read would only be refused after the user confirmed it.
    std::optional<std::uint32_t> cents = purchase::ParseCents(entry.Price);
    if (!cents) {
        prompt.Message("\"" + entry.Name + "\" cannot be bought: its price \"" + entry.Price +
                       "\" is not an amount in dollars and cents. Nothing was bought.");
        return false;
    }
    std::optional<store::BillingInfo> billing = UnlockBilling();
    if (!billing) return false;

    OrderForm form = FormFor(entry, *cents, *billing);
    if (!steps_.confirm || !steps_.confirm(form)) return false;

    std::string scrambled, error;
    if (!store::TryScramble(form.cardNumber, scrambled, &error)) {
        prompt.Message(error + " Nothing was bought.");
        return false;
    }
    std::string path = purchase::OrderFileWriter::Write(
        OrderFor(form, scrambled, entry, localPath, *billing), &error);
    if (path.empty()) {
        prompt.Message(error + "\nNothing was bought.");
        return false;
    }
    // skiff writes the chunks and the file there, and creates no directories.
    platform::MakeDirectories(platform::FileActions::DirectoryOf(localPath));
    const bool install = IsInstaller(entry.Path) && prompt.AskYesNo(kInstallQuestion);
    if (!skiff_.Start({"FINFO", path})) {
        ::unlink(path.c_str());  // no skiff will read it: take the card data away again
        return false;
    }
    if (install && installAndQuit) *installAndQuit = true;
    return true;
}

std::optional<store::BillingInfo> ItemPurchase::UnlockBilling() {
    platform::Prompt& prompt = platform::CurrentPrompt();
    try {
        store::SetApplication(store::kApplicationName, store::kApplicationVersion);
        if (!store::BillingInfo::Exists()) {
            if (prompt.AskYesNo(kNoBillingQuestion) && steps_.editBilling) steps_.editBilling();
            return std::nullopt;
        }
        std::optional<std::string> password;
        if (steps_.askPassword) password = steps_.askPassword();
        if (!password) return std::nullopt;
        store::BillingInfo billing;
        if (store::BillingInfo::Load(*password, billing) != 0) {
            prompt.Message(kWrongPassword);
            return std::nullopt;
        }
        return billing;
    } catch (const store::CRegistryError&) {
        prompt.Message("Your billing information could not be read: " + store::RegistryLastError() +
                       "\nNothing was bought.");
        return std::nullopt;
    }
}

OrderForm ItemPurchase::FormFor(const catalog::CEntry& entry, std::uint32_t priceCents,
                                const store::BillingInfo& billing) {
    OrderForm form;
    form.itemName = entry.Name;
    form.priceText = entry.Price;
    form.priceCents = priceCents;
    form.holderName = billing.cname;
    form.holderAddress = billing.caddr;
    form.holderPhone = billing.ctel;
    form.cardNumber = billing.cardnum;
    form.expiry = billing.carddt;
    form.masterCard = billing.cardtype == store::BillingInfo::kMasterCard;
    return form;
}

std::vector<std::string> ItemPurchase::OrderFor(const OrderForm& form,
                                                const std::string& scrambledCard,
                                                const catalog::CEntry& entry,
                                                const std::string& localPath,
                                                const store::BillingInfo& stored) {
    std::vector<std::string> order(OrderElements::kPurchaseElements);
    order[OrderElements::kHolderName] = form.holderName;
    order[OrderElements::kHolderAddress] = form.holderAddress;
    order[OrderElements::kHolderPhone] = form.holderPhone;
    order[OrderElements::kCardType] =
        form.masterCard ? store::BillingInfo::kMasterCard : store::BillingInfo::kVisa;
    order[OrderElements::kExpiry] = form.expiry;
    order[OrderElements::kPriceCents] = std::to_string(form.priceCents);
    order[OrderElements::kScrambledCard] = scrambledCard;
    order[OrderElements::kHost] = entry.Address;
    order[OrderElements::kItemName] = entry.Name;
    order[OrderElements::kRemotePath] = entry.Path;
    order[OrderElements::kLocalPath] = localPath;
    order[OrderElements::kStoredName] = stored.cname;
    order[OrderElements::kStoredAddress] = stored.caddr;
    order[OrderElements::kStoredPhone] = stored.ctel;
    order[OrderElements::kSalesTax] = form.taxed ? "1" : "0";
    return order;
}

bool ItemPurchase::IsInstaller(const std::string& remotePath) {
    if (remotePath.size() < kInstallerName.size()) return false;
    return std::equal(
        kInstallerName.begin(), kInstallerName.end(),
        remotePath.end() - static_cast<std::ptrdiff_t>(kInstallerName.size()),
        [](char want, char c) { return want == std::toupper(static_cast<unsigned char>(c)); });
}

}  // namespace session
