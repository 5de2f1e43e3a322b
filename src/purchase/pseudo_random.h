// The one pseudo-random sequence of a purchase: the filler of the card block
// and BigNum::Random draw from it. A new resume record seeds it with the
// time; a resumed purchase draws from it in whatever state it is in. It
// only pads the encrypted block, so it needs no cryptographic strength.
#pragma once

#include <cstdint>

namespace purchase {

class PseudoRandom {
public:
    static void Seed(std::uint32_t seed);
    // The next number, below 2^31.
    static std::uint32_t Next();
};

}  // namespace purchase
