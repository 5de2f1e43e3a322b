// Prices as decimal text to cents and back, with tax: what the order dialog
// shows must be what is sent and recorded.
#include "purchase/price.h"

#include <gtest/gtest.h>

namespace {

TEST(Price, ParsesTheDecimalTextExactly) {
    struct Case {
        const char* text;
        std::optional<std::uint32_t> cents;
    };
    const Case cases[] = {
        {"19.99", 1999},
        {"0.29", 29},
        {"10", 1000},
        {"10.5", 1050},
        {" 3.00 ", 300},
        {"1.999", 199},
        {".5", 50},
        {"20000000.00", 2'000'000'000},
        {"", {}},
        {".", {}},
        {"-1.00", {}},
        {"1.2.3", {}},
        {"abc", {}},
        {"20000000.01", {}},
        {"99999999999999999999", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(purchase::ParseCents(c.text), c.cents) << c.text;
}

TEST(Price, TaxAndTotalRoundOnceToTheCent) {
    struct Case {
        std::uint32_t price;
        bool taxed;
        const char* tax;
        const char* total;
    };
    const Case cases[] = {
        {10000, true, "6.50", "106.50"}, {1000, true, "0.65", "10.65"},
        {1999, true, "1.30", "21.29"},   {10, true, "0.01", "0.11"},  // 0.65 cents rounds up
        {1999, false, "0.00", "19.99"},  {0, true, "0.00", "0.00"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(purchase::CentsText(c.taxed ? purchase::TaxCents(c.price) : 0), c.tax) << c.price;
        EXPECT_EQ(purchase::CentsText(purchase::TotalCents(c.price, c.taxed)), c.total) << c.price;
    }
    EXPECT_LE(purchase::TotalCents(purchase::kMaxCents, true), 0x7fffffffu);
}

}  // namespace
