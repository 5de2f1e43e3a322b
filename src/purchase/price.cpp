#include "purchase/price.h"

#include <cstdio>

namespace purchase {

std::optional<std::uint32_t> ParseCents(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    std::uint64_t cents = 0;
    std::size_t i = 0;
    bool digits = false;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        cents = cents * 10 + std::uint64_t(text[i] - '0');
        if (cents > kMaxCents) return std::nullopt;
        digits = true;
    }
    cents *= 100;
    if (i < text.size() && text[i] == '.') {
        ++i;
        std::uint64_t scale = 10;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
            cents += std::uint64_t(text[i] - '0') * scale;
            scale /= 10;
            digits = true;
        }
    }
    if (!digits || i != text.size() || cents > kMaxCents) return std::nullopt;
    return std::uint32_t(cents);
}

std::uint32_t TaxCents(std::uint32_t priceCents) {
    return std::uint32_t((std::uint64_t(priceCents) * kSalesTaxPerMille + 500) / 1000);
}

std::uint32_t TotalCents(std::uint32_t priceCents, bool taxed) {
    return priceCents + (taxed ? TaxCents(priceCents) : 0);
}

std::string CentsText(std::uint32_t cents) {
    char text[24];
    std::snprintf(text, sizeof text, "%u.%02u", cents / 100, cents % 100);
    return text;
}

}  // namespace purchase
