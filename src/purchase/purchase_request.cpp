// The wire form of the purchase request, in the order of the struct's
// members; the unused text and the last two reserved texts are written to
// the transaction log only, never sent.
#include "purchase/purchase_request.h"

namespace purchase {

namespace {

void PutInt(std::string& out, std::uint32_t value) {
    out += static_cast<char>(value >> 24);
    out += static_cast<char>(value >> 16);
    out += static_cast<char>(value >> 8);
    out += static_cast<char>(value);
}

bool PutText(std::string& out, const std::string& text, std::size_t limit) {
    if (text.size() > limit) return false;
    PutInt(out, static_cast<std::uint32_t>(text.size()));
    out += text;
    return true;
}

bool PutWords(std::string& out, const std::vector<std::uint16_t>& words) {
    if (words.size() != PurchaseRequest::kCipherWords) return false;
    PutInt(out, static_cast<std::uint32_t>(words.size()));
    for (std::uint16_t word : words) PutInt(out, word);
    return true;
}

}  // namespace

std::optional<std::string> PurchaseRequest::Encode() const {
    std::string out;
    out += kind;
    out += static_cast<char>(constant1);
    out += static_cast<char>(constant2);
    PutInt(out, ticket);
    PutInt(out, static_cast<std::uint32_t>(reserved));
    bool fits = PutText(out, holderName, kMaxText) && PutText(out, holderAddress, kMaxText) &&
                PutText(out, holderPhone, kMaxText) && PutText(out, storedName, kMaxText) &&
                PutText(out, storedAddress, kMaxText) && PutText(out, storedPhone, kMaxText) &&
                PutText(out, cardType, kMaxShortText) && PutWords(out, firstCipher) &&
                PutWords(out, secondCipher) && PutText(out, expiry, kMaxShortText);
    if (!fits) return std::nullopt;
    PutInt(out, transactionNumber);
    if (!PutText(out, reservedText, kMaxText)) return std::nullopt;
    if (!PutText(out, remotePath, kMaxText)) return std::nullopt;
    PutInt(out, priceCents);
    PutInt(out, dataPort);
    out += static_cast<char>(salesTax);
    return out;
}

}  // namespace purchase
