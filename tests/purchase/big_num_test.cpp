// BigNum against Python's integers (data/bignum_vectors.txt, made by
// data/make_bignum_vectors.py), the word-level edge cases, and the
// diagnostics that end the process.
#include "purchase/big_num.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "purchase/pseudo_random.h"

using purchase::BigNum;

namespace {

BigNum Hex(const std::string& text) {
    auto n = BigNum::FromHex(text);
    EXPECT_TRUE(n.has_value()) << text;
    return n ? *n : BigNum();
}

std::vector<std::uint16_t> Words(const BigNum& n) {
    std::vector<std::uint16_t> w;
    for (std::size_t i = 0; i < n.Length(); ++i) w.push_back(n.Word(i));
    return w;
}

// A result must be right and trimmed: its top word is not zero.
void Expect(const BigNum& n, const std::string& hex, const std::string& line) {
    EXPECT_EQ(n.ToHex(), hex) << line;
    if (n.Length() > 0) {
        EXPECT_NE(n.Word(n.Length() - 1), 0) << line;
    }
}

}  // namespace

TEST(BigNum, AgreesWithPythonOnGeneratedVectors) {
    std::ifstream in(AMBIT_TEST_DATA_DIR "/bignum_vectors.txt");
    ASSERT_TRUE(in.is_open());
    std::string line;
    int checked = 0, divisions = 0;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string op, x, y, z, w;
        fields >> op >> x >> y >> z >> w;
        BigNum a = Hex(x), b = Hex(y);
        if (op == "add") {
            Expect(BigNum::Add(a, b), z, line);
        } else if (op == "sub") {
            Expect(BigNum::Subtract(a, b), z, line);
            a.SubtractInPlace(b);
            EXPECT_EQ(a.ToHex(), z) << line;
        } else if (op == "mul") {
            Expect(BigNum::Multiply(a, b), z, line);
        } else if (op == "div") {
            BigNum::Division d = BigNum::Divide(a, b);
            Expect(d.quotient, z, line);
            Expect(d.remainder, w, line);
            ++divisions;
        } else if (op == "pow") {
            EXPECT_EQ(BigNum::PowerModulo(a, b, Hex(z)).ToHex(), w) << line;
        } else {
            ADD_FAILURE() << "unknown line: " << line;
        }
        ++checked;
    }
    EXPECT_GT(checked, 1000);
    EXPECT_GT(divisions, 300);
}

// What the vectors cannot reach: numbers made from integers and bytes,
// untrimmed top words, shifts past the end, text that is no hex.
TEST(BigNum, WordLevelEdgeCases) {
    EXPECT_EQ(Words(BigNum::FromInteger(65536)), (std::vector<std::uint16_t>{0, 1}));
    EXPECT_EQ(BigNum::FromInteger(0xFFFFFFFF).ToInteger(), 0xFFFFFFFFu);
    const unsigned char bytes[] = {0x01, 0x02, 0x03, 0x00, 0x00};
    BigNum fromBytes = BigNum::FromBytes(bytes, 5);
    EXPECT_EQ(Words(fromBytes), (std::vector<std::uint16_t>{0x0201, 0x0003, 0x0000}));
    EXPECT_EQ(fromBytes.BitLength(), 18u);
    EXPECT_EQ(BigNum::Compare(fromBytes, BigNum::FromInteger(0x30201)), 0);
    for (unsigned shift : {17u, 18u, 100u}) {
        BigNum n = Hex("20000");  // 18 bits
        n.ShiftRight(shift);
        EXPECT_EQ(n.Length(), shift >= 18 ? 0u : 1u) << shift;
    }
    for (const char* bad : {"", "12g4", "-1"}) EXPECT_FALSE(BigNum::FromHex(bad)) << bad;
}

TEST(BigNum, RandomNumbersHaveTheirTopBitAndLowBits) {
    purchase::PseudoRandom::Seed(1);
    BigNum first = BigNum::Random(512, 1);
    EXPECT_EQ(first.Length(), 32u);
    EXPECT_EQ(first.BitLength(), 512u);
    EXPECT_EQ(first.Word(0) & 1, 1);
    EXPECT_EQ(BigNum::Random(20, 0).Length(), 2u);
    purchase::PseudoRandom::Seed(1);
    EXPECT_EQ(BigNum::Random(512, 1), first);  // the seed decides the sequence
}

using BigNumDeathTest = ::testing::Test;

TEST(BigNumDeathTest, MisuseEndsTheProcessWithItsDiagnostic) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    struct Case {
        const char* text;
        void (*run)();
    };
    const Case cases[] = {
        {"negatives not implemented", [] { BigNum::FromInteger(-1); }},
        {"uminus produced a negative", [] { BigNum::Subtract(Hex("1"), Hex("10000")); }},
        {"unsigned minus produced a negative", [] { BigNum::Subtract(Hex("1"), Hex("2")); }},
        {"uiminus produced a negative\\(len\\)",
         [] {
             BigNum a = Hex("1");
             a.SubtractInPlace(Hex("10000"));
         }},
        {"uiminus produced a negative\n",
         [] {
             BigNum a = Hex("1");
             a.SubtractInPlace(Hex("2"));
         }},
        {"Divide by zero, Silly!", [] { BigNum::Divide(Hex("5"), BigNum()); }},
        {"Divide by zero, Silly!", [] { BigNum::PowerModulo(Hex("5"), Hex("0"), Hex("0")); }},
        {"Can't convert bignum to normal num", [] { (void)Hex("100000000").ToInteger(); }},
    };
    for (const Case& c : cases)
        EXPECT_EXIT(c.run(), ::testing::ExitedWithCode(1), c.text) << c.text;
}
