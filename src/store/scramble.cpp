#include "store/scramble.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/prompt.h"
#include "store/des_cipher.h"

namespace store {
namespace {

// Assembled at run time so the key does not sit in the binary as one
// recognisable 8-byte string. Changing it makes every stored and passed
// secret unreadable: both programs must always agree on it.
DesCipher::Block ScramblingKey() {
    DesCipher::Block key{};
    const std::uint8_t parts[8] = {0x4B, 0xD2, 0x19, 0x7E, 0xA3, 0x58, 0xE6, 0x31};
    for (std::size_t i = 0; i < key.size(); ++i) key[i] = parts[i];
    return key;
}

std::string ScrambleUnchecked(std::string_view text) {
    std::vector<std::uint8_t> bytes((text.size() / 8) * 8 + 8, 0);
    std::copy(text.begin(), text.end(), bytes.begin());
    DesCipher(ScramblingKey(), DesCipher::Encrypt).Process(bytes.data(), bytes.size());
    std::string letters;
    letters.reserve(bytes.size() * 2);
    for (std::uint8_t b : bytes) {
        letters += static_cast<char>('A' + (b & 0x0F));
        letters += static_cast<char>('A' + (b >> 4));
    }
    return letters;
}

std::string UnscrambleUnchecked(std::string_view letters) {
    std::vector<std::uint8_t> bytes(letters.size() / 2);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        int low = static_cast<unsigned char>(letters[2 * i]) - 'A';
        int high = static_cast<unsigned char>(letters[2 * i + 1]) - 'A';
        bytes[i] = static_cast<std::uint8_t>(low + 16 * high);
    }
    bytes.resize(bytes.size() / 8 * 8);
    DesCipher(ScramblingKey(), DesCipher::Decrypt).Process(bytes.data(), bytes.size());
    std::string text;
    for (std::uint8_t b : bytes) {
        if (b == 0) break;
        text += static_cast<char>(b);
    }
    return text;
}

[[noreturn]] void Misuse(const char* message) {
    platform::CurrentPrompt().Message(message);
    std::exit(1);
}

}  // namespace

bool CanScramble(std::string_view text) { return text.size() <= kMaxScrambleText; }

std::string Scramble(std::string_view text) {
    if (!CanScramble(text)) Misuse(kScrambleTooLongMessage);
    return ScrambleUnchecked(text);
}

std::string Unscramble(std::string_view letters) {
    if (letters.size() > kMaxUnscrambleText) Misuse(kUnscrambleTooLongMessage);
    return UnscrambleUnchecked(letters);
}

bool TryScramble(std::string_view text, std::string& letters, std::string* error) {
    if (!CanScramble(text)) {
        if (error)
            *error = "The text is too long to be protected: " + std::to_string(text.size()) +
                     " bytes, at most " + std::to_string(kMaxScrambleText) + " are allowed.";
        return false;
    }
    letters = ScrambleUnchecked(text);
    return true;
}

bool TryUnscramble(std::string_view letters, std::string& text, std::string* error) {
    if (letters.size() > kMaxUnscrambleText) {
        if (error)
            *error = "The protected text is too long: " + std::to_string(letters.size()) +
                     " letters, at most " + std::to_string(kMaxUnscrambleText) + " are allowed.";
        return false;
    }
    bool wellFormed = !letters.empty() && letters.size() % 16 == 0;
    for (char c : letters) wellFormed = wellFormed && c >= 'A' && c <= 'P';
    if (!wellFormed) {
        if (error)
            *error =
                "The protected text is damaged: it must be made of the letters A to P in "
                "groups of 16.";
        return false;
    }
    text = UnscrambleUnchecked(letters);
    return true;
}

}  // namespace store
