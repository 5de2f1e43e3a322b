#include "purchase/big_num.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <stdexcept>

#include "purchase/pseudo_random.h"

namespace purchase {
namespace {

constexpr unsigned kWordBits = 16;
constexpr std::uint32_t kWordBase = 1u << kWordBits;

[[noreturn]] void Fatal(const char* text) {
    std::fputs(text, stderr);
    std::fflush(stderr);
    std::exit(1);
}

unsigned LeadingZeroBits(std::uint16_t word) {
    unsigned n = 0;
    for (std::uint16_t bit = 0x8000; bit && !(word & bit); bit >>= 1) ++n;
    return n;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

void BigNum::Reserve(std::size_t capacity) {
    if (capacity <= words_.size()) return;
    try {
        words_.resize(capacity, 0);
    } catch (const std::bad_alloc&) {
        Fatal("Out of memory\n");
    } catch (const std::length_error&) {
        Fatal("Out of memory\n");
    }
}

std::size_t BigNum::SignificantLength() const {
    std::size_t n = length_;
    while (n > 0 && words_[n - 1] == 0) --n;
    return n;
}

void BigNum::Trim() { length_ = SignificantLength(); }

BigNum BigNum::Create(std::size_t capacity) {
    BigNum n;
    n.Reserve(capacity);
    return n;
}

BigNum BigNum::FromInteger(long long value) {
    if (value < 0) Fatal("negatives not implemented\n");
    BigNum n = Create(2);
    if (value == 0) return n;
    if (static_cast<unsigned long long>(value) > 0xFFFFFFFFull)
        Fatal("Can't convert bignum to normal num\n");
    n.words_[0] = static_cast<std::uint16_t>(value);
    n.words_[1] = static_cast<std::uint16_t>(value >> kWordBits);
    n.length_ = n.words_[1] ? 2 : 1;
    return n;
}

BigNum BigNum::FromBytes(const unsigned char* bytes, std::size_t count) {
    BigNum n = Create((count + 1) / 2);
    for (std::size_t i = 0; i < count; ++i)
        n.words_[i / 2] |= static_cast<std::uint16_t>(bytes[i] << (i % 2 ? 8 : 0));
    n.length_ = (count + 1) / 2;
    return n;
}

std::optional<BigNum> BigNum::FromHex(std::string_view hex) {
    if (hex.empty()) return std::nullopt;
    BigNum n = Create((hex.size() + 3) / 4);
    for (std::size_t i = 0; i < hex.size(); ++i) {
        int digit = HexDigit(hex[hex.size() - 1 - i]);
        if (digit < 0) return std::nullopt;
        n.words_[i / 4] |= static_cast<std::uint16_t>(digit << (4 * (i % 4)));
    }
    n.length_ = n.words_.size();
    n.Trim();
    return n;
}

BigNum BigNum::Random(unsigned bits, std::uint16_t low) {
    std::size_t count = (bits + kWordBits - 1) / kWordBits;
    BigNum n = Create(count);
    for (std::size_t i = 0; i < count; ++i)
        n.words_[i] = static_cast<std::uint16_t>(PseudoRandom::Next());
    if (count == 0) return n;
    n.words_[count - 1] |= 0x8000;
    n.words_[0] |= low;
    n.length_ = count;
    return n;
}

BigNum BigNum::CopyWithSpare() const {
    BigNum n = *this;
    n.Reserve(length_ + 1);
    return n;
}

unsigned BigNum::BitLength() const {
    std::size_t n = SignificantLength();
    if (n == 0) return 0;
    return static_cast<unsigned>(kWordBits * n - LeadingZeroBits(words_[n - 1]));
}

std::string BigNum::ToHex() const {
    static const char kDigits[] = "0123456789abcdef";
    std::string out;
    for (std::size_t i = SignificantLength(); i-- > 0;)
        for (int shift = 12; shift >= 0; shift -= 4) out += kDigits[(words_[i] >> shift) & 0xF];
    std::size_t first = out.find_first_not_of('0');
    return first == std::string::npos ? "0" : out.substr(first);
}

std::uint32_t BigNum::ToInteger() const {
    if (SignificantLength() > 2) Fatal("Can't convert bignum to normal num\n");
    return static_cast<std::uint32_t>(Word(0)) | static_cast<std::uint32_t>(Word(1)) << kWordBits;
}

int BigNum::Compare(const BigNum& a, const BigNum& b) {
    std::size_t la = a.SignificantLength(), lb = b.SignificantLength();
    if (la != lb) return la < lb ? -1 : 1;
    for (std::size_t i = la; i-- > 0;)
        if (a.words_[i] != b.words_[i]) return a.words_[i] < b.words_[i] ? -1 : 1;
    return 0;
}

void BigNum::ShiftLeft(unsigned bits) {
    Trim();
    if (length_ == 0) return;
    std::size_t wordShift = bits / kWordBits;
    unsigned bitShift = bits % kWordBits;
    std::size_t newLength = length_ + wordShift + 1;
    Reserve(newLength);
    for (std::size_t i = newLength; i-- > 0;) {
        std::uint32_t high = i >= wordShift ? Word(i - wordShift) : 0;
        std::uint32_t low = i >= wordShift + 1 ? Word(i - wordShift - 1) : 0;
        words_[i] =
            static_cast<std::uint16_t>(((high << kWordBits | low) << bitShift) >> kWordBits);
    }
    length_ = newLength;
    Trim();
}

void BigNum::ShiftRight(unsigned bits) {
    std::size_t wordShift = bits / kWordBits;
    unsigned bitShift = bits % kWordBits;
    if (wordShift >= length_) {
        std::fill(words_.begin(), words_.end(), 0);
        length_ = 0;
        return;
    }
    std::size_t newLength = length_ - wordShift;
    for (std::size_t i = 0; i < newLength; ++i) {
        std::uint32_t pair =
            static_cast<std::uint32_t>(Word(i + wordShift + 1)) << kWordBits | Word(i + wordShift);
        words_[i] = static_cast<std::uint16_t>(pair >> bitShift);
    }
    for (std::size_t i = newLength; i < words_.size(); ++i) words_[i] = 0;
    length_ = newLength;
    Trim();
}

BigNum BigNum::Add(const BigNum& a, const BigNum& b) {
    std::size_t n = std::max(a.length_, b.length_);
    BigNum sum = Create(n + 1);
    std::uint32_t carry = 0;
    for (std::size_t i = 0; i < n; ++i) {
        carry += static_cast<std::uint32_t>(a.Word(i)) + b.Word(i);
        sum.words_[i] = static_cast<std::uint16_t>(carry);
        carry >>= kWordBits;
    }
    sum.words_[n] = static_cast<std::uint16_t>(carry);
    sum.length_ = n + 1;
    sum.Trim();
    return sum;
}

BigNum BigNum::Subtract(const BigNum& a, const BigNum& b) {
    if (a.SignificantLength() < b.SignificantLength()) Fatal("uminus produced a negative\n");
    BigNum difference = a;
    std::int32_t borrow = 0;
    for (std::size_t i = 0; i < difference.length_; ++i) {
        std::int32_t d = static_cast<std::int32_t>(a.Word(i)) - b.Word(i) - borrow;
        borrow = d < 0;
        difference.words_[i] = static_cast<std::uint16_t>(d + (borrow ? kWordBase : 0));
    }
    if (borrow) Fatal("unsigned minus produced a negative\n");
    difference.Trim();
    return difference;
}

void BigNum::SubtractInPlace(const BigNum& b) {
    if (SignificantLength() < b.SignificantLength()) Fatal("uiminus produced a negative(len)\n");
    std::int32_t borrow = 0;
    for (std::size_t i = 0; i < length_; ++i) {
        std::int32_t d = static_cast<std::int32_t>(words_[i]) - b.Word(i) - borrow;
        borrow = d < 0;
        words_[i] = static_cast<std::uint16_t>(d + (borrow ? kWordBase : 0));
    }
    if (borrow) Fatal("uiminus produced a negative\n");
    Trim();
}

BigNum BigNum::MultiplyByWord(const BigNum& a, std::uint16_t word, std::size_t shiftWords) {
    std::size_t n = a.SignificantLength();
    BigNum product = Create(n + shiftWords + 1);
    if (n == 0 || word == 0) return product;
    std::uint32_t carry = 0;
    for (std::size_t i = 0; i < n; ++i) {
        carry += static_cast<std::uint32_t>(a.words_[i]) * word;
        product.words_[i + shiftWords] = static_cast<std::uint16_t>(carry);
        carry >>= kWordBits;
    }
    product.words_[n + shiftWords] = static_cast<std::uint16_t>(carry);
    product.length_ = n + shiftWords + 1;
    product.Trim();
    return product;
}

BigNum BigNum::Multiply(const BigNum& a, const BigNum& b) {
    BigNum product;
    for (std::size_t i = 0; i < b.length_; ++i)
        if (b.words_[i]) product = Add(product, MultiplyByWord(a, b.words_[i], i));
    return product;
}

BigNum::Division BigNum::Divide(const BigNum& a, const BigNum& b) {
    if (b.IsZero()) Fatal("Divide by zero, Silly!\n");
    if (Compare(a, b) < 0) {
        BigNum remainder = a;
        remainder.Trim();
        return {BigNum(), remainder};
    }
    // Normalise so the divisor's top word has its high bit set: then a trial
    // digit from the top two words is at most two too large.
    BigNum remainder = a.CopyWithSpare();
    BigNum divisor = b;
    remainder.Trim();
    divisor.Trim();
    unsigned shift = LeadingZeroBits(divisor.words_[divisor.length_ - 1]);
    remainder.ShiftLeft(shift);
    divisor.ShiftLeft(shift);
    std::size_t m = divisor.length_;
    std::size_t n = remainder.length_;
    std::uint32_t top = divisor.words_[m - 1];

    BigNum quotient = Create(n - m + 1);
    quotient.length_ = n - m + 1;
    for (std::size_t j = n - m + 1; j-- > 0;) {
        std::uint32_t pair = static_cast<std::uint32_t>(remainder.Word(j + m)) << kWordBits |
                             remainder.Word(j + m - 1);
        // When the remainder's top word equals the divisor's, the trial digit
        // would need 17 bits; the true digit is then at most 0xFFFF.
        std::uint32_t digit = std::min<std::uint32_t>(pair / top, kWordBase - 1);
        BigNum product = MultiplyByWord(divisor, static_cast<std::uint16_t>(digit), j);
        for (int lowered = 0; Compare(product, remainder) > 0; ++lowered) {
            if (lowered == 2) Fatal("Opps, were really screwed\n");
            --digit;
            product = MultiplyByWord(divisor, static_cast<std::uint16_t>(digit), j);
        }
        remainder.SubtractInPlace(product);
        quotient.words_[j] = static_cast<std::uint16_t>(digit);
    }
    quotient.Trim();
    remainder.ShiftRight(shift);
    return {quotient, remainder};
}

BigNum BigNum::PowerModulo(const BigNum& base, const BigNum& exponent, const BigNum& modulus) {
    if (modulus.IsZero()) Fatal("Divide by zero, Silly!\n");
    // 1 mod modulus, so that a modulus of 1 gives 0 for every exponent.
    BigNum result = Divide(FromInteger(1), modulus).remainder;
    BigNum power = base;
    BigNum e = exponent;
    e.Trim();
    while (!e.IsZero()) {
        if (e.words_[0] & 1) result = Divide(Multiply(result, power), modulus).remainder;
        e.ShiftRight(1);
        power = Divide(Multiply(power, power), modulus).remainder;
    }
    return result;
}

}  // namespace purchase
