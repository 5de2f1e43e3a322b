// Listening is set up before anyone is told the port, so the connection
// cannot arrive before the socket is watched.
#include "net/listen_socket.h"

#include <sys/socket.h>

#include <cerrno>

#include "net/inet_address.h"

ListenSocket::ListenSocket(int port, int backlog, int eventMask, const std::string& bindHost)
    : AsyncSocket(eventMask | kAccept), port_(port), backlog_(backlog), bindHost_(bindHost) {}

void ListenSocket::Prepare() {
    InetAddress address = bindHost_.empty()
                              ? InetAddress(static_cast<std::uint16_t>(port_))
                              : InetAddress(bindHost_, static_cast<std::uint16_t>(port_));
    const sockaddr_in& sa = address.Resolve();
    SetState(kPrepared);
    if (bind(SocketHandle(), reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0)
        Fail("bind", FromErrno(errno));
    if (listen(SocketHandle(), backlog_) != 0) Fail("listen", FromErrno(errno));
    AsyncPrepare();
}
