// Money as the user confirms it and as the records keep it: integer cents.
// The catalog stores prices as decimal text ("19.99"); reading that text
// through a float and truncating turns 19.99 into 1998 cents, which the
// merchant refuses. Everything here works on the decimal digits instead,
// and tax and total come from one rounding rule, so the order dialog, the
// order file, the purchase request and the records all agree to the cent.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace purchase {

// Minnesota sales tax, 6.5 %, in tenths of a percent.
inline constexpr std::uint32_t kSalesTaxPerMille = 65;

// "19.99" -> 1999, "10" -> 1000, "10.5" -> 1050, " 3.00 " -> 300; digits
// past the cents are dropped. Empty, signed, non-numeric or larger than
// kMaxCents gives nullopt.
std::optional<std::uint32_t> ParseCents(std::string_view priceText);

// The largest price accepted: the request record carries a signed 32-bit
// number, and the total with tax must fit too.
inline constexpr std::uint32_t kMaxCents = 2'000'000'000;

// Tax on a price, rounded half up to the cent: 10000 -> 650, 1999 -> 130.
std::uint32_t TaxCents(std::uint32_t priceCents);

// The price plus, when taxed, its tax.
std::uint32_t TotalCents(std::uint32_t priceCents, bool taxed);

// "%d.%02d": 1065 -> "10.65", 5 -> "0.05".
std::string CentsText(std::uint32_t cents);

}  // namespace purchase
