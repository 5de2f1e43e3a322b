// DES against the published known-answer tables, the billing password built
// on it, and the scrambling both programs use for the secrets they keep.
#include <gtest/gtest.h>

#include <QByteArray>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "store/des_cipher.h"
#include "store/password.h"
#include "store/scramble.h"

namespace {

using namespace store;

DesCipher::Block FromHex(const std::string& hex) {
    DesCipher::Block b{};
    for (size_t i = 0; i < 8; ++i)
        b[i] = static_cast<uint8_t>(std::stoul(hex.substr(2 * i, 2), nullptr, 16));
    return b;
}

// One wrong table entry or bit order anywhere in the cipher fails most rows.
TEST(DesCipher, PublishedKnownAnswerTablesInBothDirections) {
    std::ifstream in(AMBIT_TEST_DATA_DIR "/des_vectors.txt");
    int rows = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#') continue;
        std::string kind, key, plain, cipher;
        std::istringstream(line) >> kind >> key >> plain >> cipher;
        SCOPED_TRACE(line);
        DesCipher::Block out{}, back{};
        DesCipher(FromHex(key), DesCipher::Encrypt).EncryptBlock(FromHex(plain).data(), out.data());
        EXPECT_EQ(out, FromHex(cipher));
        DesCipher(FromHex(key), DesCipher::Decrypt)
            .DecryptBlock(FromHex(cipher).data(), back.data());
        EXPECT_EQ(back, FromHex(plain));
        ++rows;
    }
    EXPECT_EQ(rows, 157);
}

TEST(Password, OnlyTheRightPasswordRestoresTheCardNumber) {
    const std::string card = "4111111111111111";
    const std::string cipher = EncryptWithPassword("secret12", card);
    // Cross-checked with an independent DES: 16 digits plus a block of NULs.
    EXPECT_EQ(QByteArray::fromStdString(cipher).toHex().toUpper(),
              "907EF1B4356D7F18836F80BEB7E7BD56118AB69833DF15C8");
    EXPECT_EQ(DecryptWithPassword("secret12", cipher), card);
    for (const char* wrong : {"secret22", "Secret12", "password", "secret1"})
        EXPECT_FALSE(IsPrintable(DecryptWithPassword(wrong, cipher))) << wrong;
    // Only 8 bytes key the cipher, without their lowest bits; a short
    // password is padded with NULs; a cut value decrypts its whole blocks.
    const std::string number = "5500 0000 0000 0004";
    const std::string other = EncryptWithPassword("abcdefgh-one", number);
    EXPECT_EQ(DecryptWithPassword("abcdefgh-two", other), number);
    EXPECT_EQ(DecryptWithPassword("abcdefgi", other), number);
    EXPECT_EQ(EncryptWithPassword("abcdef", "x"),
              EncryptWithPassword(std::string("abcdef\0\0", 8), "x"));
    EXPECT_EQ(DecryptWithPassword("abcdefgh", other.substr(0, 11)), "5500 000");
}

TEST(Password, PrintableAndLengthRules) {
    struct Case {
        const char* text;
        bool printable, tooShort;
    } const cases[] = {
        {"", true, true},
        {" ~AZaz", true, false},
        {"\x1f\x7f"
         "abcd",
         false, false},
        {"caf\xc3\xa9", false, true},  // bytes 0x80 and above are not printable
        {"\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9", false, true},  // characters count, not bytes
        {"\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9x", false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(IsPrintable(c.text), c.printable) << c.text;
        EXPECT_EQ(PasswordTooShort(c.text), c.tooShort) << c.text;
    }
}

TEST(Scramble, RoundTripsEveryLengthInAFixedLetterForm) {
    for (size_t n = 0; n <= kMaxScrambleText; ++n) {
        std::string text;
        for (size_t i = 0; i < n; ++i) text += static_cast<char>(1 + (i * 37 + n) % 255);
        const std::string letters = Scramble(text);
        ASSERT_EQ(letters.find_first_not_of("ABCDEFGHIJKLMNOP"), std::string::npos) << n;
        ASSERT_EQ(Unscramble(letters), text) << n;
        std::string checked;
        ASSERT_TRUE(TryUnscramble(letters, checked) && checked == text) << n;
    }
    // Both programs and every later version must agree on the letter form.
    EXPECT_EQ(Scramble("guest@example.com"), "AAKIGBPLGIKOGOILOLMLDBOGLJHAIHMMMILGIEABCANEDIHN");
    EXPECT_EQ(Scramble(""), "FOHDHOLPNMNNBNDC");
}

TEST(Scramble, CheckedFormsRefuseWhatTheUncheckedOnesWouldDieOn) {
    std::string letters = "unchanged", text = "unchanged", error;
    EXPECT_TRUE(CanScramble(std::string(254, 'x')));
    EXPECT_FALSE(TryScramble(std::string(255, 'x'), letters, &error));
    EXPECT_EQ(letters, "unchanged");
    EXPECT_NE(error.find("255"), std::string::npos);

    const std::string good = Scramble("secret");
    for (const std::string& bad :
         {std::string(528, 'A'), std::string(), good.substr(0, 8), good.substr(0, 15), good + "A",
          std::string(good).replace(3, 1, "Q"), std::string(good).replace(0, 1, "a")}) {
        error.clear();
        EXPECT_FALSE(TryUnscramble(bad, text, &error)) << bad;
        EXPECT_EQ(text, "unchanged");
        EXPECT_FALSE(error.empty());
    }
    // Unchecked, damaged letters still decode without reading past them.
    EXPECT_EQ(Unscramble("ABCDEFG"), "");
    EXPECT_LE(Unscramble(std::string(kMaxUnscrambleText, '\xff')).size(), 256u);
}

TEST(ScrambleDeathTest, OverlongInputStillEndsTheProcessWithItsMessage) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(Scramble(std::string(255, 'x')), testing::ExitedWithCode(1),
                "String too long to encrypt");
    EXPECT_EXIT(Unscramble(std::string(kMaxUnscrambleText + 1, 'A')), testing::ExitedWithCode(1),
                "String too long to decrypt");
}

}  // namespace
