// Scrambling: the reversible letter form in which passwords, the e-mail
// address and card numbers are kept in files and passed on the transfer
// program's command line. The text, padded with NULs to whole 8-byte
// blocks, is DES-encrypted under a key both programs share, and each cipher
// byte is written as two letters "A" to "P", low half first.
//
// Scramble and Unscramble treat over-long input as a programming error and
// end the process; they are for text the program itself keeps short. Text
// that comes from outside (a command line, a file, a field) goes through
// TryScramble / TryUnscramble, which refuse it with a message instead.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace store {

// The longest text (in bytes) that can be scrambled.
inline constexpr std::size_t kMaxScrambleText = 254;
// The longest letter text that can be unscrambled: what Scramble makes of
// its longest text (32 blocks), so every scrambled text comes back.
inline constexpr std::size_t kMaxUnscrambleText = (kMaxScrambleText / 8 + 1) * 16;

inline constexpr const char* kScrambleTooLongMessage = "String too long to encrypt";
inline constexpr const char* kUnscrambleTooLongMessage = "String too long to decrypt";

// 16 letters per started 8 bytes, with at least one NUL of padding: the
// empty text gives 16 letters, an 8-byte text 32. Text over
// kMaxScrambleText shows "String too long to encrypt" and ends the process
// with exit code 1.
std::string Scramble(std::string_view text);

// The text before the first NUL of the decrypted bytes. Letters outside
// "A".."P" are decoded arithmetically (garbage in, garbage out) and a
// trailing partial block is ignored. Over kMaxUnscrambleText letters shows
// "String too long to decrypt" and ends the process with exit code 1.
std::string Unscramble(std::string_view letters);

// True when Scramble takes the text.
bool CanScramble(std::string_view text);

// Checked forms for input from outside. On success store the result and
// return true; otherwise leave it alone, put a message for the user in
// *error (if given) and return false. TryUnscramble also refuses text that
// Scramble cannot have made (not whole blocks of letters "A" to "P").
bool TryScramble(std::string_view text, std::string& letters, std::string* error = nullptr);
bool TryUnscramble(std::string_view letters, std::string& text, std::string* error = nullptr);

}  // namespace store
