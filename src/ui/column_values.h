// The values behind the tree's Size, Date and Price columns. Catalog
// entries keep these fields as the text somebody typed or a server listed,
// so sorting reads a value out of the text where there is one and leaves
// the rest (a missing size, a date in no known form) without a value.
#pragma once

#include <QString>
#include <optional>
#include <string_view>

namespace ui {

// A size of decimal digits only, in bytes; none for anything else or for
// more digits than a file size can have.
std::optional<qint64> SizeBytes(std::string_view text);
// "3.2 KB" and the like; "512 bytes" below a kilobyte.
QString HumanSize(qint64 bytes);
// "3,281 bytes", for the size's tool tip.
QString ExactSize(qint64 bytes);

// A date as year * 10000 + month * 100 + day, from the two forms entries
// carry: "03/11/26" (month/day/year, as typed) and "Jul/17/96" (a site's
// listing). Two-digit years below 70 are taken as 20xx.
std::optional<int> DateKey(std::string_view text);

// "$4.50" for a price that reads as an amount of money above nothing,
// else the text as stored.
QString PriceText(std::string_view text);

}  // namespace ui
