#include "purchase/minnesota_address.h"

#include <string>

namespace purchase {
namespace {

// ASCII only: bytes of other scripts are neither letters nor digits here.
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string Upper(std::string_view text) {
    std::string upper(text);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return upper;
}

// A ZIP code or a further line somewhere after the word.
bool SomethingFollows(const std::string& text, std::size_t from) {
    for (std::size_t i = from; i < text.size(); ++i)
        if (IsDigit(text[i]) || text[i] == '\n' || text[i] == '\r') return true;
    return false;
}

}  // namespace

bool IsMinnesotaAddress(std::string_view address) {
    const std::string text = Upper(address);
    std::size_t at = text.find("MN");
    std::size_t length = 2;
    if (at != std::string::npos) {
        if (at > 0 && IsLetter(text[at - 1])) return false;
    } else if ((at = text.find("MINNESOTA")) != std::string::npos) {
        length = 9;
    } else if ((at = text.find("MINN")) != std::string::npos) {
        length = 4;
        const bool letterBefore = at > 0 && IsLetter(text[at - 1]);
        const bool letterAfter = at + length < text.size() && IsLetter(text[at + length]);
        if (letterBefore || letterAfter) return false;
    } else {
        return false;
    }
    return SomethingFollows(text, at + length);
}

}  // namespace purchase
