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

// Every result must also be trimmed: its top word is not zero.
void ExpectTrimmed(const BigNum& n, const std::string& line) {
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
            BigNum r = BigNum::Add(a, b);
            EXPECT_EQ(r.ToHex(), z) << line;
            ExpectTrimmed(r, line);
        } else if (op == "sub") {
            BigNum r = BigNum::Subtract(a, b);
            EXPECT_EQ(r.ToHex(), z) << line;
            ExpectTrimmed(r, line);
            a.SubtractInPlace(b);
            EXPECT_EQ(a.ToHex(), z) << line;
        } else if (op == "mul") {
            BigNum r = BigNum::Multiply(a, b);
            EXPECT_EQ(r.ToHex(), z) << line;
            ExpectTrimmed(r, line);
        } else if (op == "div") {
            BigNum::Division d = BigNum::Divide(a, b);
            EXPECT_EQ(d.quotient.ToHex(), z) << line;
            EXPECT_EQ(d.remainder.ToHex(), w) << line;
            ExpectTrimmed(d.quotient, line);
            ExpectTrimmed(d.remainder, line);
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

TEST(BigNum, WordLevelEdgeCases) {
    // from integer(65536): two words, 0 and 1.
    EXPECT_EQ(Words(BigNum::FromInteger(65536)), (std::vector<std::uint16_t>{0, 1}));
    EXPECT_EQ(BigNum::FromInteger(0).Length(), 0u);
    EXPECT_EQ(BigNum::FromInteger(0xFFFFFFFF).ToInteger(), 0xFFFFFFFFu);

    // An odd byte count puts the last byte alone into the top word, and top
    // zero words stay counted, but not by value.
    const unsigned char bytes[] = {0x01, 0x02, 0x03, 0x00, 0x00};
    BigNum fromBytes = BigNum::FromBytes(bytes, 5);
    EXPECT_EQ(Words(fromBytes), (std::vector<std::uint16_t>{0x0201, 0x0003, 0x0000}));
    EXPECT_EQ(fromBytes.BitLength(), 18u);
    EXPECT_EQ(BigNum::Compare(fromBytes, BigNum::FromInteger(0x30201)), 0);
    EXPECT_EQ(BigNum::Divide(fromBytes, BigNum::FromInteger(0x30201)).quotient.ToHex(), "1");

    EXPECT_EQ(BigNum::Compare(Hex("123456789abcdef"), Hex("123456789abcdef")), 0);
    EXPECT_EQ(BigNum::Compare(Hex("10000"), Hex("ffff")), 1);
    EXPECT_EQ(BigNum::Compare(Hex("1233"), Hex("1234")), -1);

    EXPECT_EQ(BigNum::PowerModulo(Hex("abcdef"), BigNum(), Hex("1000001")).ToHex(), "1");

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
