// The billing password: the right password gives the card number back, a
// wrong one gives text that IsPrintable rejects, and only 8 bytes count.
#include "store/password.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace store;

std::string Hex(const std::string& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string h;
    for (unsigned char c : bytes) {
        h += digits[c >> 4];
        h += digits[c & 15];
    }
    return h;
}

TEST(Password, RightPasswordRestoresTheCardNumberWrongOnesDoNot) {
    const std::string card = "4111111111111111";
    std::string cipher = EncryptWithPassword("secret12", card);
    // Cross-checked with an independent DES: 16 digits plus a block of NULs.
    EXPECT_EQ(Hex(cipher), "907EF1B4356D7F18836F80BEB7E7BD56118AB69833DF15C8");
    EXPECT_EQ(DecryptWithPassword("secret12", cipher), card);
    for (const char* wrong : {"secret22", "Secret12", "password", "123456", "secret1"}) {
        SCOPED_TRACE(wrong);
        EXPECT_FALSE(IsPrintable(DecryptWithPassword(wrong, cipher)));
    }
}

TEST(Password, OnlyTheFirstEightBytesKeyTheCipher) {
    std::string cipher = EncryptWithPassword("abcdefgh-one", "5500 0000 0000 0004");
    EXPECT_EQ(DecryptWithPassword("abcdefgh-two", cipher), "5500 0000 0000 0004");
    // DES ignores the lowest bit of each key byte: "2" (0x32) and "3" (0x33)
    // are the same key byte, so such passwords are interchangeable.
    EXPECT_EQ(DecryptWithPassword("abcdefgi", cipher), "5500 0000 0000 0004");
    // A short password is padded with NULs, so these are the same key.
    EXPECT_EQ(EncryptWithPassword("abcdef", "x"),
              EncryptWithPassword(std::string("abcdef\0\0", 8), "x"));
    // A stored value cut short decrypts its whole blocks only.
    EXPECT_EQ(DecryptWithPassword("abcdefgh", cipher.substr(0, 11)), "5500 000");
}

TEST(Password, PrintableAndLengthRules) {
    EXPECT_TRUE(IsPrintable(""));
    EXPECT_TRUE(IsPrintable(" ~AZaz09"));
    EXPECT_FALSE(IsPrintable("\x1f"));
    EXPECT_FALSE(IsPrintable("\x7f"));
    EXPECT_FALSE(IsPrintable("caf\xc3\xa9"));  // 0x80 and above count as unprintable

    EXPECT_TRUE(PasswordTooShort(""));
    EXPECT_TRUE(PasswordTooShort("12345"));
    EXPECT_FALSE(PasswordTooShort("123456"));
    // Characters, not bytes: five accented letters are still five.
    EXPECT_TRUE(PasswordTooShort("\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9"));
    EXPECT_FALSE(PasswordTooShort("\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9x"));
}

}  // namespace
