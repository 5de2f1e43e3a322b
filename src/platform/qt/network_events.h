// Socket readiness and name-lookup replies, delivered to the network layer
// as notifications. Sockets are watched with QSocketNotifier and the
// readiness the kernel reports is turned into the one-shot events the
// network layer was written for: a read event is not repeated until the
// socket has been read again, a write event comes only after a send that
// would block or when a connect completes, an accept event comes once, and
// the end of the stream is reported once as a close. That keeps a socket
// nobody reads from (a control connection during a transfer) from waking the
// event loop over and over.
//
// Name lookups run getaddrinfo/getnameinfo on Qt's thread pool; the reply is
// posted back to the event loop and delivered like a notification.
//
// Every notification goes to one procedure installed by the network layer,
// which looks up who owns the handle.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QObject;
class QSocketNotifier;

namespace platform {

// Event bits, the same values the network layer's event masks use.
enum NotifyEvent : int {
    kEventRead = 1,
    kEventWrite = 2,
    kEventAccept = 8,
    kEventConnect = 16,
    kEventClose = 32,
};

// Message numbers passed to the procedure.
constexpr unsigned kSocketMessage = 0x401;
constexpr unsigned kLookupMessage = 0x402;

// What a finished lookup found: the official name and the IPv4 addresses
// (network byte order). Empty addresses mean that nothing was found.
struct LookupResult {
    std::string name;
    std::vector<std::uint32_t> addresses;
};

class NetworkEvents {
public:
    // For kSocketMessage: handle = socket, event = one NotifyEvent, error =
    // an errno value or 0. For kLookupMessage: handle = task, event = 0,
    // error = a getaddrinfo EAI_* code or 0.
    using Procedure =
        std::function<void(unsigned message, std::intptr_t handle, int event, int error)>;

    // The process's instance, created on first use. Null when there is no
    // QCoreApplication (nothing could ever deliver a notification).
    static NetworkEvents* Instance();

    void SetProcedure(Procedure procedure) { procedure_ = std::move(procedure); }

    // Starts (or changes) the watch of a socket for the events in mask.
    void Select(int fd, int mask);
    // The socket has started a non-blocking connect: report kEventConnect
    // when it completes, and only then start reporting reads.
    void WatchConnect(int fd);
    // Asks for the next event of that kind again (after a recv, after a send
    // that would block, after an accept).
    void Reenable(int fd, int event);
    // Stops watching the socket; call before closing it.
    void Forget(int fd);

    // Starts a lookup of host (a name, or with reverse set a dotted address
    // whose name is wanted). Returns the task handle its reply will carry.
    std::intptr_t StartLookup(const std::string& host, bool reverse);
    // The result of a finished lookup, removed from here. Empty if the
    // task is unknown (cancelled or already taken).
    LookupResult TakeLookupResult(std::intptr_t task);
    // Forgets a lookup; its reply is dropped when it comes.
    void CancelLookup(std::intptr_t task);

    // Number of sockets being watched (for tests of clean-up).
    size_t WatchedSockets() const { return watches_.size(); }

private:
    struct Watch {
        int mask = 0;
        bool connecting = false;
        bool ended = false;  // end of stream or a socket error seen
        QSocketNotifier* reader = nullptr;
        QSocketNotifier* writer = nullptr;
    };

    NetworkEvents();
    void OnReadable(int fd);
    void OnWritable(int fd);
    void Deliver(unsigned message, std::intptr_t handle, int event, int error);
    void EnableReader(Watch& w);
    void Bury(QSocketNotifier* n);
    void DeliverLookup(std::intptr_t task, int error, LookupResult result);

    QObject* object_;  // parent of the notifiers, receiver of posted replies
    Procedure procedure_;
    std::map<int, Watch> watches_;
    std::vector<QSocketNotifier*> graveyard_;  // notifiers forgotten while dispatching
    int dispatching_ = 0;
    std::intptr_t nextTask_ = 1;
    std::map<std::intptr_t, bool> pendingLookups_;
    std::map<std::intptr_t, LookupResult> lookupResults_;
};

}  // namespace platform
