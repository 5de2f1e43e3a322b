// The card block and its encryption; the exchange itself runs against the
// test merchant in skiff's purchase tests.
#include "purchase/purchase_exchange.h"

#include <gtest/gtest.h>

namespace {

constexpr const char* kCard = "4111111111111111";

// The block's layout, which the merchant parses by position.
TEST(CardBlock, DigitsMarkAddressTimeAndFiller) {
    struct {
        std::string card;
        std::string digits;  // empty: refused
    } cases[] = {
        {"4111 1111-1111 1111", "4111111111111111"},
        {std::string(20, '9'), std::string(20, '9')},
        {std::string(21, '9'), ""},
        // Only the first 30 characters count.
        {std::string(20, '1') + std::string(10, ' ') + "99", std::string(20, '1')},
    };
    for (const auto& c : cases) {
        auto block = purchase::PlainCardBlock(c.card, "127.0.0.1", 0x01020304);
        ASSERT_EQ(block.has_value(), !c.digits.empty()) << c.card;
        if (!block) continue;
        std::size_t n = c.digits.size();
        ASSERT_EQ(block->size(), 30u);
        EXPECT_EQ(block->substr(0, n + 1), c.digits + "a");
        EXPECT_EQ(block->substr(n + 1, 8), std::string("\x7f\0\0\x01\x04\x03\x02\x01", 8));
        for (char filler : block->substr(n + 9)) EXPECT_TRUE(filler >= 64 && filler <= 89);
    }
}

// A cipher number with zero words at the top still goes as 32 words: with
// g = y = 1, c1 is 1 and c2 the block itself (15 words). And one block
// encrypted twice gives unrelated numbers: a fixed exponent would give the
// same c1 and a c2 that a single known block unlocks for all.
TEST(CardBlock, ShortNumbersAreZeroExtendedAndEachEncryptionDrawsItsExponent) {
    std::string block = *purchase::PlainCardBlock(kCard, "10.0.0.7", 1234567890);
    purchase::DeliveryKey key = purchase::DeliveryKey::BuiltIn();
    purchase::CipherPair a = purchase::EncryptCardBlock(block, key);
    purchase::CipherPair b = purchase::EncryptCardBlock(block, key);
    EXPECT_NE(a.first, b.first);
    EXPECT_NE(a.second, b.second);

    key.g = key.y = purchase::BigNum::FromInteger(1);
    purchase::CipherPair cipher = purchase::EncryptCardBlock(block, key);
    std::vector<std::uint16_t> first(32, 0), second(32, 0);
    first[0] = 1;
    for (std::size_t i = 0; i < 15; ++i)
        second[i] = static_cast<std::uint16_t>(static_cast<unsigned char>(block[2 * i]) |
                                               static_cast<unsigned char>(block[2 * i + 1]) << 8);
    EXPECT_EQ(cipher.first, first);
    EXPECT_EQ(cipher.second, second);
}

}  // namespace
