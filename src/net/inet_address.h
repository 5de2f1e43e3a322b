// An Internet address to be resolved: a host name or dotted address and a
// port. Name lookups run off the event-loop thread and the caller waits for
// the reply with rounds of the event loop, so the user interface keeps
// running while a slow name server answers, and Cancel (from an Abort
// button) ends the wait.
#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <string>

#include "net/bounded_wait.h"
#include "net/winsock_user.h"
#include "platform/qt/network_events.h"

class InetAddress : public WinsockUser {
public:
    // A service name is not supported: only the empty string may be given.
    InetAddress(const std::string& host, const std::string& service);
    InetAddress(const std::string& host, std::uint16_t port);
    // This machine's name and the port.
    explicit InetAddress(std::uint16_t port);
    InetAddress(const InetAddress& other);
    InetAddress& operator=(const InetAddress& other);
    ~InetAddress() override;

    // The socket address (IPv4), looked up on first use; length receives 16.
    // Throws CWinsockErr ("Get host by address", 11001) when the host is
    // unknown. After Cancel it returns an unresolved (zero) address.
    const sockaddr_in& Resolve(int* length = nullptr);
    // The host's official name (for a dotted address, its reverse lookup or
    // the address itself when it has no name).
    std::string HostName();
    // The first address as "%d.%d.%d.%d".
    std::string DottedAddress();
    // Ends a pending lookup and marks the address cancelled; a second call
    // does nothing.
    void Cancel();
    bool IsCancelled() const { return cancelled_ != 0; }
    bool IsResolved() const { return resolvedLength_ != 0; }

    const std::string& Host() const { return host_; }
    std::uint16_t Port() const { return port_; }

    void OnNotify(unsigned message, std::intptr_t handle, Notification note) override;

private:
    // Starts a lookup and waits for its reply; true if it found something.
    bool Lookup(bool reverse);

    int cancelled_ = 0;
    std::intptr_t pendingTask_ = 0;
    std::string host_;
    std::string service_;
    std::uint16_t port_ = 0;
    bool hasEntry_ = false;
    platform::LookupResult entry_;
    sockaddr_in address_{};
    int resolvedLength_ = 0;
    bool done_ = false;
    BoundedWait wait_;
};
