// The billing password: never stored, its first eight bytes key the DES
// encryption of the card number kept in the settings. A wrong password is
// only noticed because the decrypted text is not printable.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace store {

// Fewer characters than this are refused.
inline constexpr std::size_t kMinPasswordLength = 6;
// The longest text whose encryption still fits a registry value's 256-byte
// read buffer; longer card numbers could be saved but never loaded.
inline constexpr std::size_t kMaxPasswordText = 255;

inline constexpr const char* kIncorrectPasswordMessage = "Incorrect Password";

// The text padded with 1 to 8 NULs to whole blocks and encrypted (ECB) under
// the password's first 8 bytes (NUL-padded when shorter).
std::string EncryptWithPassword(std::string_view password, std::string_view text);

// The decrypted bytes up to the first NUL; a trailing partial block is
// ignored. A wrong password yields garbage, not an error.
std::string DecryptWithPassword(std::string_view password, std::string_view bytes);

// Every byte within 0x20..0x7E (the empty text counts as printable).
bool IsPrintable(std::string_view text);

// Fewer than kMinPasswordLength characters (UTF-8 characters, not bytes).
bool PasswordTooShort(std::string_view password);

}  // namespace store
