// Whether a card holder's mailing address lies in Minnesota, where sales tax
// is charged. The test reads the address text only (the billing data has
// no separate state field), so it is deliberately simple and lets the user
// tick the tax box by hand when it misses; it never clears a box the
// address itself has set.
#pragma once

#include <string_view>

namespace purchase {

// Upper-cased, the first "MN" decides when there is one: it counts unless
// a letter stands right before it ("COLUMN" does not count, and then no
// later word is looked at). Without "MN", the first "MINNESOTA", else the
// first "MINN" standing as a word of its own. The word counts only when a
// digit or a line break follows somewhere after it (a ZIP code or a
// further line), so "Saint Paul, Minnesota" alone is not enough.
bool IsMinnesotaAddress(std::string_view address);

}  // namespace purchase
