#include "purchase/pseudo_random.h"

#include <random>

namespace purchase {
namespace {
std::minstd_rand& Generator() {
    static std::minstd_rand generator;
    return generator;
}
}  // namespace

void PseudoRandom::Seed(std::uint32_t seed) { Generator().seed(seed); }

std::uint32_t PseudoRandom::Next() { return static_cast<std::uint32_t>(Generator()() - 1); }

}  // namespace purchase
