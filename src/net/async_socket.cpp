// Every wait here re-checks the closed-here bit after each round of the event
// loop and after each send or recv: any handler may close the socket while
// we wait. recv and send never block (the socket is non-blocking); a would-
// block turns into a wait for the next notification.
#include "net/async_socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "platform/qt/network_events.h"

namespace {
platform::NetworkEvents* Events() { return platform::NetworkEvents::Instance(); }
}  // namespace

AsyncSocket::AsyncSocket(int eventMask) : eventMask_(eventMask) {
    socket_ = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (socket_ < 0) Fail("Socket creation", FromErrno(errno));
}

AsyncSocket::~AsyncSocket() {
    RemoveHandler(socket_, kSocketHandler, this);
    if (accepted_ >= 0) RemoveHandler(accepted_, kSocketHandler, this);
    // A destructor cannot throw; a failed close is only recorded (the
    // descriptor is released either way).
    if (!IsClosed()) {
        if (accepted_ >= 0) {
            Events()->Forget(accepted_);
            if (::close(accepted_) != 0) Record("socket close", FromErrno(errno));
        }
        Events()->Forget(socket_);
        if (::close(socket_) != 0) Record("Socket close", FromErrno(errno));
    }
}

void AsyncSocket::AsyncPrepare() {
    RemoveHandler(socket_, kSocketHandler, this);
    // A socket closed here (aborted during its lookup) keeps no entry: its
    // descriptor number may already belong to another socket.
    if (IsClosed()) return;
    AddHandler(socket_, this, kSocketHandler);
    Events()->Select(socket_, eventMask_);
}

void AsyncSocket::OnNotify(unsigned, std::intptr_t, Notification note) {
    const int error = note.error;
    wait_.Touch();
    switch (note.event) {
        case kRead:
            if (error) Fail("Async read", error);
            state_ |= kInputWaiting;
            break;
        case kWrite:
            if (error) Fail("Async write", error);
            state_ |= kWritable;
            break;
        case kAccept:
            if (error) Fail("Async accept", error);
            Accept();
            break;
        case kConnect:
            state_ |= kWritable;
            if (error) Fail("ASynch Connect", error);
            hasPeer_ = true;
            break;
        case kClose:
            // Marked closed before the error is raised, so that no later
            // wait on this socket waits for a notification that cannot come.
            state_ |= kPeerClosed;
            if (error) Fail("Async close", error);
            break;
        default:
            Fail("Async handler", -4);
    }
}

// One connection is accepted; the listening socket reports no more, so a
// second caller cannot take over the data connection.
void AsyncSocket::Accept() {
    if (!IsClosed() && accepted_ < 0) {
        sockaddr_in from{};
        socklen_t length = sizeof from;
        int fd = accept4(socket_, reinterpret_cast<sockaddr*>(&from), &length,
                         SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) Fail("Async accept", FromErrno(errno));
        if (!acceptOnlyFrom_.empty()) {
            char text[INET_ADDRSTRLEN] = {};
            inet_ntop(AF_INET, &from.sin_addr, text, sizeof text);
            if (from.sin_family != AF_INET || acceptOnlyFrom_ != text) {
                ::close(fd);
                // As accept would on Windows: the next connection is reported.
                Events()->Reenable(socket_, kAccept);
                return;
            }
        }
        accepted_ = fd;
        AddHandler(fd, this, kSocketHandler);
        if (!IsClosed()) Events()->Select(fd, eventMask_ & ~kAccept);
        hasPeer_ = true;
    }
    state_ |= kWritable;
}

int AsyncSocket::Read(char* buffer, int size) {
    if (size <= 0) return 0;
    buffer[0] = '\0';
    if (!IsPrepared()) Prepare();
    if (IsClosed()) return 0;
    wait_.Begin();
    for (;;) {
        while (!HasInput()) {
            wait_.Round("read");
            if (IsClosed()) {
                buffer[0] = '\0';
                return 0;
            }
        }
        int fd = Handle();
        ssize_t n = recv(fd, buffer, static_cast<size_t>(size - 1), 0);
        int error = errno;
        if (IsClosed()) {
            buffer[0] = '\0';
            return 0;
        }
        buffer[n > 0 ? n : 0] = '\0';
        if (n < 0 && error != EAGAIN && error != EINTR) Fail("read", FromErrno(error));
        state_ &= ~kInputWaiting;
        Events()->Reenable(fd, kRead);
        if (n > 0) {
            wait_.Touch();
            return static_cast<int>(n);
        }
        if (n == 0) {
            // Remembered, so later reads return at once instead of waiting
            // for a notification that will not come again.
            state_ |= kPeerClosed;
            return 0;
        }
        if (IsPeerClosed()) return 0;
    }
}

std::uint32_t AsyncSocket::ReadLong() {
    unsigned char bytes[4];
    int got = 0;
    while (got < 4) {
        char buffer[5];
        int n = Read(buffer, 4 - got + 1);
        if (IsClosed()) return 0;
        if (n == 0) Fail("read", 10053);
        for (int i = 0; i < n; ++i) bytes[got + i] = static_cast<unsigned char>(buffer[i]);
        got += n;
    }
    return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
           (std::uint32_t{bytes[2]} << 8) | bytes[3];
}

void AsyncSocket::Write(const char* data, std::size_t length) { Send(data, length, 0); }

void AsyncSocket::WriteUrgent(const char* data, std::size_t length) { Send(data, length, MSG_OOB); }

void AsyncSocket::WriteLong(std::uint32_t number) {
    char bytes[4] = {static_cast<char>(number >> 24), static_cast<char>(number >> 16),
                     static_cast<char>(number >> 8), static_cast<char>(number)};
    Write(bytes, 4);
}

void AsyncSocket::Send(const char* data, std::size_t length, int flags) {
    if (IsClosed()) return;
    if (!IsPrepared()) Prepare();
    if (IsClosed()) return;
    wait_.Begin();
    // Writing before the connection exists (a data connection the server has
    // not yet opened) waits for it instead of failing.
    while (!hasPeer_) {
        wait_.Round("write");
        if (IsClosed()) return;
    }
    std::size_t sent = 0;
    while (sent < length) {
        int fd = Handle();
        ssize_t n = send(fd, data + sent, length - sent, flags | MSG_NOSIGNAL);
        int error = errno;
        if (IsClosed()) return;
        if (n >= 0) {
            sent += static_cast<std::size_t>(n);
            wait_.Touch();
            continue;
        }
        if (error == EINTR) continue;
        if (error != EAGAIN) Fail("write", FromErrno(error));
        state_ &= ~kWritable;
        Events()->Reenable(fd, kWrite);
        while (!IsWritable()) {
            wait_.Round("write");
            if (IsClosed()) return;
        }
    }
}

int AsyncSocket::LocalPort() {
    if (!IsPrepared()) Prepare();
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    if (getsockname(socket_, reinterpret_cast<sockaddr*>(&sa), &len) != 0)
        Fail("Get socket info", FromErrno(errno));
    return ntohs(sa.sin_port);
}

std::string AsyncSocket::LocalAddress() {
    if (!IsPrepared()) Prepare();
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    if (getsockname(socket_, reinterpret_cast<sockaddr*>(&sa), &len) != 0)
        Fail("Get socket info", FromErrno(errno));
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &sa.sin_addr, text, sizeof text);
    return text;
}

std::string AsyncSocket::PeerAddress() {
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    if (getpeername(socket_, reinterpret_cast<sockaddr*>(&sa), &len) != 0)
        Fail("Get socket info", FromErrno(errno));
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &sa.sin_addr, text, sizeof text);
    return text;
}

// The handler entries go with the descriptors: the kernel hands the same
// numbers to the next sockets, whose notifications must not reach this object.
void AsyncSocket::Close() {
    if (IsClosed()) return;
    state_ |= kClosedHere;
    if (accepted_ >= 0) {
        Events()->Forget(accepted_);
        RemoveHandler(accepted_, kSocketHandler, this);
        ::close(accepted_);
    }
    Events()->Forget(socket_);
    RemoveHandler(socket_, kSocketHandler, this);
    ::close(socket_);
}
