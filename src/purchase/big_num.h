// Non-negative multi-precision integers of 16-bit words, for the public-key
// encryption of the card block (numbers of a few hundred bits). Schoolbook
// arithmetic is enough at that size; every operation returns a fresh number.
//
// Misuse by the program (a division by zero, a subtraction that would go
// negative, a value too large for an integer) prints a diagnostic line to
// stderr and ends the process with exit code 1: such a number would encrypt
// a card with a wrong key, which is worse than stopping. Nothing read from a
// file, a server or the user may reach those paths: callers check first
// (IsZero, Compare, FromHex's result), and the operations that take outside
// bytes (FromBytes, FromHex, BitLength, Compare) never end the process.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace purchase {

class BigNum {
public:
    // The value 0 with no words.
    BigNum() = default;

    // Zero with room for capacity words.
    static BigNum Create(std::size_t capacity);
    // value >= 0: 0 has no words, below 65536 one word, else two (low, high).
    static BigNum FromInteger(long long value);
    // The bytes in pairs as little-endian words (byte 0 is the low byte of
    // word 0); an odd last byte is the last word alone. The length is the
    // number of words, including zero words at the top.
    static BigNum FromBytes(const unsigned char* bytes, std::size_t count);
    // Hexadecimal digits, most significant first; nullopt for anything else.
    static std::optional<BigNum> FromHex(std::string_view hex);
    // ceil(bits / 16) words from PseudoRandom, bit 15 of the top word set
    // and low ORed into word 0.
    static BigNum Random(unsigned bits, std::uint16_t low);

    BigNum Copy() const { return *this; }
    // An equal number with one more zero word of capacity.
    BigNum CopyWithSpare() const;

    std::size_t Length() const { return length_; }
    std::size_t Capacity() const { return words_.size(); }
    // Word i, 0 past the length.
    std::uint16_t Word(std::size_t i) const { return i < length_ ? words_[i] : 0; }
    bool IsZero() const { return SignificantLength() == 0; }

    // Bits of the value; 0 for zero. Zero words above the value (left by
    // FromBytes) do not count.
    unsigned BitLength() const;
    // Lowercase hexadecimal without leading zeros; "0" for zero.
    std::string ToHex() const;
    // The value as a 32-bit integer; more than two significant words is a
    // diagnostic.
    std::uint32_t ToInteger() const;

    // -1, 0 or 1 by value.
    static int Compare(const BigNum& a, const BigNum& b);

    // In place: this * 2^bits, this / 2^bits.
    void ShiftLeft(unsigned bits);
    void ShiftRight(unsigned bits);

    static BigNum Add(const BigNum& a, const BigNum& b);
    // a - b; b larger than a is a diagnostic.
    static BigNum Subtract(const BigNum& a, const BigNum& b);
    // this -= b; b larger than this is a diagnostic.
    void SubtractInPlace(const BigNum& b);
    // a * word * 65536^shiftWords.
    static BigNum MultiplyByWord(const BigNum& a, std::uint16_t word, std::size_t shiftWords);
    static BigNum Multiply(const BigNum& a, const BigNum& b);

    struct Division;
    // Long division by 16-bit digits; a zero divisor is a diagnostic.
    static Division Divide(const BigNum& a, const BigNum& b);
    // base^exponent mod modulus (a zero modulus is a diagnostic).
    static BigNum PowerModulo(const BigNum& base, const BigNum& exponent, const BigNum& modulus);

    friend bool operator==(const BigNum& a, const BigNum& b) { return Compare(a, b) == 0; }

private:
    std::size_t SignificantLength() const;
    // Drops zero words at the top (the capacity stays).
    void Trim();
    void Reserve(std::size_t capacity);

    std::vector<std::uint16_t> words_;  // the capacity; words from length_ on are 0
    std::size_t length_ = 0;
};

struct BigNum::Division {
    BigNum quotient;
    BigNum remainder;
};

}  // namespace purchase
