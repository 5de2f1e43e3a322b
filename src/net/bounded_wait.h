// The clock of one network wait. A wait runs rounds of the event loop; if
// its socket or lookup shows no activity for the time-out (120 s, or
// AMBIT_NET_TIMEOUT seconds), the wait fails with the socket layer's error
// 10060 "Timed out". A timer wakes the event loop when the time-out is due,
// so a wait that sees nothing costs no processor time and still ends.
#pragma once

#include <chrono>
#include <memory>
#include <string>

class QTimer;

class BoundedWait {
public:
    // The socket layer's error for a wait that timed out.
    static constexpr int kTimedOut = 10060;

    BoundedWait();
    ~BoundedWait();
    BoundedWait(const BoundedWait&) = delete;
    BoundedWait& operator=(const BoundedWait&) = delete;

    // A wait starts: the idle time counts from now.
    void Begin() { Touch(); }
    // Something happened on what is waited for.
    void Touch() { last_ = std::chrono::steady_clock::now(); }
    // One round of the event loop; throws CWinsockErr with the operation and
    // 10060 once the idle time reaches the time-out.
    void Round(const std::string& operation);

    // The time-out in seconds from AMBIT_NET_TIMEOUT (fractions allowed),
    // 120 when unset or not a positive number.
    static double TimeoutSeconds();

private:
    std::chrono::steady_clock::time_point last_;
    std::unique_ptr<QTimer> timer_;
};
