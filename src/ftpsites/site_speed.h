// The per-host speed values in the settings store, under the application
// key's "sites" subkey ("SOFTWARE\%s\%s\%s\sites" with company,
// application and version): a value named by the host and one named by the
// host followed by "#". The Item Properties dialog estimates a transfer time
// from them as (size / 1000) / (first / second), so they are kept as bytes
// received and the milliseconds that took, whose quotient is kilobytes per
// second. Live browsing adds every directory listing to them.
#pragma once

#include <cstdint>
#include <string>

namespace ftpsites {

class SiteSpeed {
public:
    static constexpr const char* kSubkey = "sites";

    struct Values {
        std::uint32_t bytes = 0;         // the value named by the host
        std::uint32_t milliseconds = 0;  // the value named by the host + "#"
    };

    // Both values of `host`; missing ones are created with 0. A store that
    // cannot be read gives zeros (the estimate is then left out).
    static Values Read(const std::string& host);

    // Adds one measurement. Totals that would leave the 31-bit range are
    // halved together, which keeps their ratio. Failures to write are
    // ignored: the values are only an estimate.
    static void Record(const std::string& host, std::uint64_t bytes, std::uint64_t milliseconds);

    // The Item Properties estimate for a file of `size` bytes from the two
    // values as stored (32-bit numbers, so a value past 2^31 reads
    // negative): "" when nothing was measured yet, "%d:%d" (minutes,
    // seconds) above a minute, else "%d seconds", and "FIRST CONNECT" for
    // a time value below 1.
    static std::string EstimateText(std::int32_t bytes, std::int32_t milliseconds, long long size);

    // The totals after adding a measurement (exposed for tests).
    static Values Add(Values current, std::uint64_t bytes, std::uint64_t milliseconds);
};

}  // namespace ftpsites
