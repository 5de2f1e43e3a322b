// Readiness from poll() is level-triggered; the events the network layer
// expects are one-shot. Each notifier is therefore switched off when it
// fires and switched on again only when the layer asks (Reenable), which is
// what the old re-enabling rules did: recv re-arms reads, a blocked send
// arms writes.
#include "platform/qt/network_events.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <QCoreApplication>
#include <QObject>
#include <QRunnable>
#include <QSocketNotifier>
#include <QThreadPool>
#include <cerrno>
#include <cstring>

namespace platform {

NetworkEvents* NetworkEvents::Instance() {
    static NetworkEvents* events = nullptr;  // never destroyed: sockets may outlive main
    if (!events) {
        if (!QCoreApplication::instance()) return nullptr;
        events = new NetworkEvents();
    }
    return events;
}

NetworkEvents::NetworkEvents() : object_(new QObject()) { object_->setObjectName("NetworkEvents"); }

void NetworkEvents::Select(int fd, int mask) {
    Watch& w = watches_[fd];
    w.mask = mask;
    if (!w.reader) {
        w.reader = new QSocketNotifier(fd, QSocketNotifier::Read, object_);
        w.reader->setEnabled(false);
        QObject::connect(w.reader, &QSocketNotifier::activated, object_,
                         [this, fd] { OnReadable(fd); });
    }
    if (!w.writer) {
        w.writer = new QSocketNotifier(fd, QSocketNotifier::Write, object_);
        w.writer->setEnabled(false);
        QObject::connect(w.writer, &QSocketNotifier::activated, object_,
                         [this, fd] { OnWritable(fd); });
    }
    EnableReader(w);
}

void NetworkEvents::EnableReader(Watch& w) {
    bool wanted = (w.mask & (kEventRead | kEventClose | kEventAccept)) != 0;
    w.reader->setEnabled(wanted && !w.connecting && !w.ended);
}

void NetworkEvents::WatchConnect(int fd) {
    auto it = watches_.find(fd);
    if (it == watches_.end()) return;
    it->second.connecting = true;
    it->second.reader->setEnabled(false);
    it->second.writer->setEnabled(true);
}

void NetworkEvents::Reenable(int fd, int event) {
    auto it = watches_.find(fd);
    if (it == watches_.end()) return;
    Watch& w = it->second;
    if (event == kEventWrite) {
        if (!w.connecting) w.writer->setEnabled(true);
    } else {
        EnableReader(w);
    }
}

void NetworkEvents::Forget(int fd) {
    auto it = watches_.find(fd);
    if (it == watches_.end()) return;
    Bury(it->second.reader);
    Bury(it->second.writer);
    watches_.erase(it);
}

// A notifier may be forgotten from inside its own activated signal (a
// handler closes the socket); deleting it there would pull the object out
// from under the signal, so it waits until the dispatch has returned.
void NetworkEvents::Bury(QSocketNotifier* n) {
    if (!n) return;
    n->setEnabled(false);
    QObject::disconnect(n, nullptr, object_, nullptr);
    if (dispatching_ > 0)
        graveyard_.push_back(n);
    else
        delete n;
}

void NetworkEvents::Deliver(unsigned message, std::intptr_t handle, int event, int error) {
    ++dispatching_;
    if (procedure_) procedure_(message, handle, event, error);
    if (--dispatching_ == 0) {
        for (QSocketNotifier* n : graveyard_) delete n;
        graveyard_.clear();
    }
}

void NetworkEvents::OnReadable(int fd) {
    auto it = watches_.find(fd);
    if (it == watches_.end()) return;
    Watch& w = it->second;
    w.reader->setEnabled(false);
    if (w.mask & kEventAccept) {
        Deliver(kSocketMessage, fd, kEventAccept, 0);
        return;
    }
    // Peek to tell data from the end of the stream: data is always reported
    // (and read) before the close, so nothing queued is lost.
    char probe;
    ssize_t n = recv(fd, &probe, 1, MSG_PEEK | MSG_DONTWAIT);
    if (n > 0) {
        Deliver(kSocketMessage, fd, kEventRead, 0);
        return;
    }
    int error = n < 0 ? errno : 0;
    if (n < 0 && (error == EAGAIN || error == EWOULDBLOCK || error == EINTR)) {
        EnableReader(w);
        return;
    }
    w.ended = true;
    // Without a close in the mask the reader learns of the end from recv.
    if (w.mask & kEventClose)
        Deliver(kSocketMessage, fd, kEventClose, error);
    else
        Deliver(kSocketMessage, fd, kEventRead, 0);
}

void NetworkEvents::OnWritable(int fd) {
    auto it = watches_.find(fd);
    if (it == watches_.end()) return;
    Watch& w = it->second;
    w.writer->setEnabled(false);
    if (w.connecting) {
        w.connecting = false;
        int error = 0;
        socklen_t len = sizeof error;
        if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &len) != 0) error = errno;
        if (error == 0) EnableReader(w);
        Deliver(kSocketMessage, fd, kEventConnect, error);
        return;
    }
    Deliver(kSocketMessage, fd, kEventWrite, 0);
}

namespace {

LookupResult RunLookup(const std::string& host, bool reverse, int* error) {
    LookupResult result;
    *error = 0;
    if (reverse) {
        sockaddr_in sa{};
        sa.sin_family = AF_INET;
        if (inet_pton(AF_INET, host.c_str(), &sa.sin_addr) != 1) {
            *error = EAI_NONAME;
            return result;
        }
        char name[NI_MAXHOST];
        int rc = getnameinfo(reinterpret_cast<sockaddr*>(&sa), sizeof sa, name, sizeof name,
                             nullptr, 0, NI_NAMEREQD);
        if (rc != 0) {
            // An address without a name is "no data", not an unknown host.
            *error = rc == EAI_NONAME ? EAI_NODATA : rc;
            return result;
        }
        result.name = name;
        result.addresses.push_back(sa.sin_addr.s_addr);
        return result;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_CANONNAME;
    addrinfo* list = nullptr;
    int rc = getaddrinfo(host.c_str(), nullptr, &hints, &list);
    if (rc != 0) {
        *error = rc;
        return result;
    }
    for (addrinfo* a = list; a; a = a->ai_next) {
        if (a->ai_family != AF_INET) continue;
        if (result.name.empty() && a->ai_canonname) result.name = a->ai_canonname;
        result.addresses.push_back(reinterpret_cast<sockaddr_in*>(a->ai_addr)->sin_addr.s_addr);
    }
    freeaddrinfo(list);
    if (result.name.empty()) result.name = host;
    return result;
}

}  // namespace

std::intptr_t NetworkEvents::StartLookup(const std::string& host, bool reverse) {
    std::intptr_t task = nextTask_++;
    pendingLookups_[task] = true;
    QObject* receiver = object_;
    QThreadPool::globalInstance()->start([this, receiver, task, host, reverse] {
        int error = 0;
        LookupResult result = RunLookup(host, reverse, &error);
        QMetaObject::invokeMethod(
            receiver, [this, task, error, result] { DeliverLookup(task, error, result); },
            Qt::QueuedConnection);
    });
    return task;
}

void NetworkEvents::DeliverLookup(std::intptr_t task, int error, LookupResult result) {
    if (!pendingLookups_.erase(task)) return;  // cancelled meanwhile
    lookupResults_[task] = std::move(result);
    Deliver(kLookupMessage, task, 0, error);
    lookupResults_.erase(task);  // not taken: nobody wanted it any more
}

LookupResult NetworkEvents::TakeLookupResult(std::intptr_t task) {
    auto it = lookupResults_.find(task);
    if (it == lookupResults_.end()) return {};
    LookupResult r = std::move(it->second);
    lookupResults_.erase(it);
    return r;
}

void NetworkEvents::CancelLookup(std::intptr_t task) { pendingLookups_.erase(task); }

}  // namespace platform
