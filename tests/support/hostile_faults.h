// The misbehaving servers both programs are run against: one row per fault
// of the hostile mode of tests/servers/scripted_ftp_server.py, with what
// skiff (downloading /f.bin) and the site browser (opening the site) must
// make of it. Whatever the fault, neither program crashes, waits beyond its
// time-out, or writes anything but its own target.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "server_process.h"

namespace testsupport {

enum class Outcome {
    kWorks,     // the transfer or listing succeeds, nothing is reported
    kFails,     // a message, and skiff ends with exit code 1
    kTimesOut,  // kFails, after the time-out and not much later
};

inline constexpr size_t kHostileFileSize = 5000;

struct HostileFault {
    const char* name;  // the server's fault
    Outcome skiff;
    Outcome browser;
    size_t received = kHostileFileSize;  // what skiff's download holds when it works
    bool bulk = false;  // tens of megabytes go over the loopback first: no time bound
};

// Test names show the fault.
inline void PrintTo(const HostileFault& f, std::ostream* os) { *os << f.name; }

// Every row; the server knows each name.
const std::vector<HostileFault>& HostileFaults();

// The time-out both programs are given (AMBIT_NET_TIMEOUT), in seconds, and
// the longest a failing run may take: one time-out and some slack, so a
// second full wait shows.
inline constexpr int kHostileTimeout = 1;
inline constexpr double kHostileLongestRun = kHostileTimeout + 1.5;

// Starts the hostile server for a fault; Port() is 0 when it did not start.
std::unique_ptr<ServerProcess> StartHostileServer(const std::string& fault);

// The bytes of the file the server serves (its first `count` bytes).
std::string HostileFileBytes(size_t count);

}  // namespace testsupport
