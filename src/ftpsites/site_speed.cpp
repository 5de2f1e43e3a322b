// Registry failures are swallowed here on purpose: browsing must not fail
// because an estimate could not be stored.
#include "ftpsites/site_speed.h"

#include <cstdio>

#include "store/registry_errors.h"
#include "store/registry_number.h"

namespace ftpsites {

SiteSpeed::Values SiteSpeed::Read(const std::string& host) {
    Values v;
    if (host.empty()) return v;
    try {
        store::RegistryNumber bytes(kSubkey, host, 0);
        store::RegistryNumber ms(kSubkey, host + "#", 0);
        v.bytes = bytes.Get();
        v.milliseconds = ms.Get();
    } catch (const store::CRegistryError&) {
        return Values{};
    }
    return v;
}

SiteSpeed::Values SiteSpeed::Add(Values current, std::uint64_t bytes, std::uint64_t milliseconds) {
    constexpr std::uint64_t kLimit = 0x7fffffff;
    // Cap the inputs first so the sums below cannot overflow 64 bits.
    while (bytes > kLimit || milliseconds > kLimit) bytes /= 2, milliseconds /= 2;
    std::uint64_t b = current.bytes + bytes;
    std::uint64_t m = current.milliseconds + milliseconds;
    while (b > kLimit || m > kLimit) b /= 2, m /= 2;
    return Values{static_cast<std::uint32_t>(b), static_cast<std::uint32_t>(m)};
}

std::string SiteSpeed::EstimateText(std::int32_t bytes, std::int32_t milliseconds, long long size) {
    if (milliseconds == 0) return {};
    if (milliseconds < 1) return "FIRST CONNECT";
    const long long rate = bytes / milliseconds;  // kilobytes per second
    const long long seconds = rate != 0 ? (size / 1000) / rate : milliseconds;
    char text[48];
    if (seconds > 60)
        std::snprintf(text, sizeof text, "%lld:%lld", seconds / 60, seconds % 60);
    else
        std::snprintf(text, sizeof text, "%lld seconds", seconds);
    return text;
}

void SiteSpeed::Record(const std::string& host, std::uint64_t bytes, std::uint64_t milliseconds) {
    if (host.empty()) return;
    try {
        store::RegistryNumber b(kSubkey, host, 0);
        store::RegistryNumber m(kSubkey, host + "#", 0);
        Values sum = Add(Values{b.Get(), m.Get()}, bytes, milliseconds);
        b.Set(sum.bytes);
        m.Set(sum.milliseconds);
    } catch (const store::CRegistryError&) {
    }
}

}  // namespace ftpsites
