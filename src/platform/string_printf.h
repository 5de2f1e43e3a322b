// printf-style formatting into a std::string, so that the program's texts
// stay written as the format strings users and translators know.
#pragma once

#include <cstdio>
#include <string>

namespace platform {

template <typename... Args>
std::string StringPrintf(const char* format, Args... args) {
    int n = std::snprintf(nullptr, 0, format, args...);
    if (n <= 0) return "";
    std::string out(static_cast<size_t>(n) + 1, '\0');
    std::snprintf(out.data(), out.size(), format, args...);
    out.resize(static_cast<size_t>(n));
    return out;
}

}  // namespace platform
