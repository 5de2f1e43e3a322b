#include "store/billing_info.h"

#include "platform/prompt.h"
#include "store/password.h"
#include "store/registry_errors.h"
#include "store/registry_string.h"
#include "store/registry_value.h"

namespace store {
namespace {

constexpr const char* kCardNumber = "cardnum";
// Erase order; every billing value.
constexpr const char* kAllValues[] = {"cardnum", "addr", "caddr", "carddt", "cardtype",
                                      "cname",   "ctel", "name",  "tel"};
// Blocks the cipher works in; the card number is padded with 1 to 8 NULs.
constexpr std::size_t kCipherBlock = 8;

struct TextField {
    const char* value;
    std::string BillingInfo::*field;
};
constexpr TextField kTextFields[] = {
    {"name", &BillingInfo::name},   {"addr", &BillingInfo::addr},   {"tel", &BillingInfo::tel},
    {"cname", &BillingInfo::cname}, {"caddr", &BillingInfo::caddr}, {"ctel", &BillingInfo::ctel},
};

}  // namespace

bool BillingInfo::Exists() { return !RegistryString("name", "").Get().empty(); }

int BillingInfo::Load(const std::string& password, BillingInfo& out) {
    out = {};
    if (PasswordTooShort(password)) return 1;
    BillingInfo loaded;
    for (const TextField& f : kTextFields) loaded.*f.field = RegistryString(f.value, "").Get();
    loaded.cardtype = RegistryString("cardtype", "").Get();
    loaded.carddt = RegistryString("carddt", "").Get();

    std::string cipher(kRegistryBufferSize, '\0');
    std::uint32_t size = kRegistryBufferSize, type = 0;
    try {
        RegistryValue(std::string(), kCardNumber).Read(cipher.data(), size, type);
    } catch (const CRegistryEGet&) {
        return 1;  // nothing to check the password against
    }
    cipher.resize(size);
    loaded.cardnum = DecryptWithPassword(password, cipher);
    // The right password gives printable text followed by its 1 to 8 NULs
    // of padding. Printable alone would take about one wrong password in
    // 256 (garbage that begins with a NUL decrypts to "").
    if (loaded.cardnum.empty() || !IsPrintable(loaded.cardnum) ||
        loaded.cardnum.size() + kCipherBlock < cipher.size() / kCipherBlock * kCipherBlock)
        return 1;
    out = std::move(loaded);
    return 0;
}

int BillingInfo::Save(const std::string& password) const {
    if (PasswordTooShort(password)) return 1;
    for (const std::string* required : {&name, &addr, &tel, &cardnum, &cardtype, &carddt})
        if (required->empty()) return 1;
    std::string cipher = EncryptWithPassword(password, cardnum);
    for (const TextField& f : kTextFields) RegistryString(f.value).Set(this->*f.field);
    RegistryValue(std::string(), kCardNumber)
        .Write(cipher.data(), static_cast<std::uint32_t>(cipher.size()),
               platform::RegistryDb::kBinary);
    RegistryString("cardtype").Set(cardtype);
    RegistryString("carddt").Set(carddt);
    return 0;
}

void BillingInfo::Erase() {
    if (!platform::CurrentPrompt().AskYesNo(
            "Are you sure you want to erase all of your billing information?"))
        return;
    for (const char* value : kAllValues) {
        try {
            RegistryValue(std::string(), value).DeleteValue();
        } catch (const CRegistryError&) {
            // Absent or undeletable: the others still go.
        }
    }
}

const char* BillingInfo::CardTypeCode(int radioIndex) {
    switch (radioIndex) {
        case 0:
            return kMasterCard;
        case 3:
            return kDiscover;
        default:
            return kVisa;
    }
}

int BillingInfo::RadioIndex(const std::string& cardType) {
    if (cardType == kMasterCard) return 0;
    if (cardType == kDiscover) return 3;
    return 1;
}

}  // namespace store
