// Scrambling must round-trip every text the programs keep, give the letter
// form both programs agree on, and never end the process on outside input.
#include "store/scramble.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/prompt.h"

namespace {

using namespace store;

std::string TextOfLength(size_t n) {
    std::string s;
    for (size_t i = 0; i < n; ++i)
        s += static_cast<char>(1 + (i * 37 + n) % 255);  // no NUL, high bytes too
    return s;
}

TEST(Scramble, RoundTripsEveryLengthWithLettersAToP) {
    for (size_t n = 0; n <= kMaxScrambleText; ++n) {
        SCOPED_TRACE(n);
        std::string text = TextOfLength(n);
        std::string letters = Scramble(text);
        ASSERT_EQ(letters.find_first_not_of("ABCDEFGHIJKLMNOP"), std::string::npos);
        ASSERT_EQ(Unscramble(letters), text);
        std::string checked;
        ASSERT_TRUE(TryUnscramble(letters, checked));
        ASSERT_EQ(checked, text);
    }
}

// Text scrambled by one program is unscrambled by the other, and by every
// later version: the letter form of a known text must never change.
TEST(Scramble, LetterFormIsFixed) {
    EXPECT_EQ(Scramble("guest@example.com"), "AAKIGBPLGIKOGOILOLMLDBOGLJHAIHMMMILGIEABCANEDIHN");
    EXPECT_EQ(Scramble(""), "FOHDHOLPNMNNBNDC");
    EXPECT_EQ(Unscramble("FOHDHOLPNMNNBNDC"), "");
}

TEST(Scramble, CheckedFormsRefuseWhatTheUncheckedOnesWouldDieOn) {
    std::string letters = "unchanged", text = "unchanged", error;
    EXPECT_TRUE(CanScramble(std::string(254, 'x')));
    EXPECT_FALSE(CanScramble(std::string(255, 'x')));
    EXPECT_FALSE(TryScramble(std::string(255, 'x'), letters, &error));
    EXPECT_EQ(letters, "unchanged");
    EXPECT_NE(error.find("255"), std::string::npos);
    EXPECT_TRUE(TryScramble(std::string(254, 'x'), letters));
    EXPECT_EQ(letters.size(), 512u);

    const std::string good = Scramble("secret");
    const std::string bad[] = {std::string(528, 'A'),
                               "",
                               good.substr(0, 15),
                               good + "A",
                               std::string(good).replace(3, 1, "Q"),
                               std::string(good).replace(0, 1, "a")};
    for (const auto& b : bad) {
        SCOPED_TRACE(b);
        error.clear();
        EXPECT_FALSE(TryUnscramble(b, text, &error));
        EXPECT_EQ(text, "unchanged");
        EXPECT_FALSE(error.empty());
    }
}

// Damaged letter text is still decoded without reading past the input.
TEST(Scramble, UncheckedUnscrambleSurvivesMalformedLetters) {
    EXPECT_NO_FATAL_FAILURE(Unscramble("A"));
    EXPECT_EQ(Unscramble("ABCDEFG"), "");  // no whole block
    std::string garbage(kMaxUnscrambleText, '\xff');
    EXPECT_LE(Unscramble(garbage).size(), 256u);
}

TEST(ScrambleDeathTest, OverlongInputStillEndsTheProcessWithItsMessage) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(Scramble(std::string(255, 'x')), testing::ExitedWithCode(1),
                "String too long to encrypt");
    EXPECT_EXIT(Unscramble(std::string(kMaxUnscrambleText + 1, 'A')), testing::ExitedWithCode(1),
                "String too long to decrypt");
}

}  // namespace
