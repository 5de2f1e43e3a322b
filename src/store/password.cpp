#include "store/password.h"

#include <cstdint>
#include <vector>

#include "store/des_cipher.h"

namespace store {
namespace {

DesCipher::Block PasswordKey(std::string_view password) {
    DesCipher::Block key{};
    for (std::size_t i = 0; i < key.size() && i < password.size(); ++i)
        key[i] = static_cast<std::uint8_t>(password[i]);
    return key;
}

// Clears the key copy as the cipher clears its expanded key.
void Wipe(DesCipher::Block& key) {
    volatile std::uint8_t* p = key.data();
    for (std::size_t i = 0; i < key.size(); ++i) p[i] = 0;
}

}  // namespace

std::string EncryptWithPassword(std::string_view password, std::string_view text) {
    std::vector<std::uint8_t> bytes((text.size() / 8) * 8 + 8, 0);
    std::copy(text.begin(), text.end(), bytes.begin());
    DesCipher::Block key = PasswordKey(password);
    DesCipher(key, DesCipher::Encrypt).Process(bytes.data(), bytes.size());
    Wipe(key);
    return std::string(bytes.begin(), bytes.end());
}

std::string DecryptWithPassword(std::string_view password, std::string_view cipher) {
    std::vector<std::uint8_t> bytes(cipher.begin(), cipher.begin() + cipher.size() / 8 * 8);
    DesCipher::Block key = PasswordKey(password);
    DesCipher(key, DesCipher::Decrypt).Process(bytes.data(), bytes.size());
    Wipe(key);
    std::string text;
    for (std::uint8_t b : bytes) {
        if (b == 0) break;
        text += static_cast<char>(b);
    }
    return text;
}

bool IsPrintable(std::string_view text) {
    for (char c : text) {
        auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b > 0x7E) return false;
    }
    return true;
}

bool PasswordTooShort(std::string_view password) {
    std::size_t characters = 0;
    for (char c : password)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++characters;
    return characters < kMinPasswordLength;
}

}  // namespace store
