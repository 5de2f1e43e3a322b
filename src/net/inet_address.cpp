// A dotted address needs no lookup to be connected to; its name is looked up
// only when someone asks for it (HostName), so opening a data connection on
// a machine with a slow name server costs no reverse query.
#include "net/inet_address.h"

#include <arpa/inet.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "platform/prompt.h"

InetAddress::InetAddress(const std::string& host, const std::string& service)
    : host_(host), service_(service) {}

InetAddress::InetAddress(const std::string& host, std::uint16_t port) : host_(host), port_(port) {}

InetAddress::InetAddress(std::uint16_t port) : port_(port) {
    char name[257] = {};
    if (gethostname(name, sizeof name - 1) != 0) Fail("Get host name", FromErrno(errno));
    host_ = name;
}

InetAddress::InetAddress(const InetAddress& other)
    : WinsockUser(other),
      cancelled_(other.cancelled_),
      host_(other.host_),
      service_(other.service_),
      port_(other.port_),
      hasEntry_(other.hasEntry_),
      entry_(other.entry_),
      address_(other.address_),
      resolvedLength_(other.resolvedLength_) {}

InetAddress& InetAddress::operator=(const InetAddress& other) {
    if (this == &other) return *this;
    Cancel();
    cancelled_ = other.cancelled_;
    host_ = other.host_;
    service_ = other.service_;
    port_ = other.port_;
    hasEntry_ = other.hasEntry_;
    entry_ = other.entry_;
    address_ = other.address_;
    resolvedLength_ = other.resolvedLength_;
    return *this;
}

InetAddress::~InetAddress() {
    if (pendingTask_) {
        RemoveHandler(pendingTask_, kLookupHandler, this);
        if (auto* events = platform::NetworkEvents::Instance()) events->CancelLookup(pendingTask_);
    }
}

bool InetAddress::Lookup(bool reverse) {
    platform::NetworkEvents* events = platform::NetworkEvents::Instance();
    done_ = false;
    hasEntry_ = false;
    entry_ = {};
    std::intptr_t task = events->StartLookup(host_, reverse);
    pendingTask_ = task;
    try {
        AddHandler(task, this, kLookupHandler);
        wait_.Begin();
        while (!done_ && !cancelled_) wait_.Round("Get host by address");
    } catch (...) {
        RemoveHandler(task, kLookupHandler, this);
        events->CancelLookup(task);
        pendingTask_ = 0;
        throw;
    }
    RemoveHandler(task, kLookupHandler, this);
    pendingTask_ = 0;
    return hasEntry_;
}

const sockaddr_in& InetAddress::Resolve(int* length) {
    if (resolvedLength_ == 0 && !cancelled_) {
        in_addr dotted{};
        if (inet_aton(host_.c_str(), &dotted)) {
            entry_ = {};
            entry_.addresses.push_back(dotted.s_addr);
            hasEntry_ = true;
        } else {
            Lookup(false);
        }
        if (!hasEntry_ && !cancelled_) Fail("Get host by address", 11001);
        if (!service_.empty() && !cancelled_) {
            platform::CurrentPrompt().Message("Error: port service names not implemented yet");
            std::exit(999);
        }
        if (hasEntry_ && !cancelled_) {
            address_ = sockaddr_in{};
            address_.sin_family = AF_INET;
            address_.sin_addr.s_addr = entry_.addresses.front();
            address_.sin_port = htons(port_);
            resolvedLength_ = sizeof(sockaddr_in);
        }
    }
    if (length) *length = resolvedLength_;
    return address_;
}

std::string InetAddress::HostName() {
    Resolve();
    if (!IsResolved()) return host_;
    if (entry_.name.empty()) {
        std::vector<std::uint32_t> addresses = entry_.addresses;
        if (Lookup(true) && !entry_.name.empty()) {
            entry_.addresses = addresses;
        } else {
            entry_.name = host_;
            entry_.addresses = addresses;
            hasEntry_ = true;
        }
    }
    return entry_.name;
}

std::string InetAddress::DottedAddress() {
    Resolve();
    std::uint32_t a = ntohl(address_.sin_addr.s_addr);
    char text[16];
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", static_cast<int>(a >> 24),
                  static_cast<int>((a >> 16) & 255), static_cast<int>((a >> 8) & 255),
                  static_cast<int>(a & 255));
    return text;
}

void InetAddress::Cancel() {
    if (cancelled_) return;
    if (pendingTask_) {
        if (auto* events = platform::NetworkEvents::Instance()) events->CancelLookup(pendingTask_);
    }
    cancelled_ = 1;
}

void InetAddress::OnNotify(unsigned message, std::intptr_t handle, Notification note) {
    const int error = note.error;
    if (error == 11004) {
        done_ = true;
        return;
    }
    if (error != 0) {
        done_ = true;
        Fail("Address/name lookup handler", error);
    }
    if (message != platform::kLookupMessage)
        Fail("Address/name lookup hander: unknown message", -3);
    done_ = true;
    entry_ = platform::NetworkEvents::Instance()->TakeLookupResult(handle);
    hasEntry_ = !entry_.addresses.empty();
}
