// DES (FIPS 46) on single 8-byte blocks, for ECB use: the scrambling of
// stored and passed secrets and the billing password's encryption of the
// card number. Blocks and keys are read most significant byte first; the
// parity bit of each key byte is ignored. The expanded key is wiped when
// the object goes away, so no key material is left in freed memory.
#pragma once

#include <array>
#include <cstdint>

namespace store {

class DesCipher {
public:
    enum Direction { Encrypt, Decrypt };
    using Block = std::array<std::uint8_t, 8>;

    DesCipher(const std::uint8_t (&key)[8], Direction direction);
    DesCipher(const Block& key, Direction direction);
    ~DesCipher();
    DesCipher(const DesCipher&) = delete;
    DesCipher& operator=(const DesCipher&) = delete;

    // Both run the block function with the object's subkey order; they
    // differ only in name so that each call site says what it means.
    void EncryptBlock(const std::uint8_t* in, std::uint8_t* out) const;
    void DecryptBlock(const std::uint8_t* in, std::uint8_t* out) const;

    // Runs every 8-byte block of data through the cipher in place (ECB).
    // size must be a multiple of 8.
    void Process(std::uint8_t* data, std::size_t size) const;

private:
    void Expand(const std::uint8_t* key, Direction direction);
    void Crypt(const std::uint8_t* in, std::uint8_t* out) const;

    // The 16 round keys, 48 bits each, in the order they are applied.
    std::uint64_t subkeys_[16];
};

}  // namespace store
