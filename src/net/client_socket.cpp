// The connect is non-blocking: connect() starts it and the connect
// notification reports how it ended.
#include "net/client_socket.h"

#include <sys/socket.h>

#include <cerrno>

#include "platform/qt/network_events.h"

ClientSocket::ClientSocket(const InetAddress& address, int eventMask)
    : AsyncSocket(eventMask | kConnect), address_(address) {}

void ClientSocket::Prepare() {
    int length = 0;
    const sockaddr_in& sa = address_.Resolve(&length);
    SetState(kPrepared);
    AsyncPrepare();
    // An address cancelled by an Abort during its lookup is never connected to.
    if (IsClosed() || length == 0) return;
    if (connect(SocketHandle(), reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0 &&
        errno != EINPROGRESS)
        Fail("connect", FromErrno(errno));
    platform::NetworkEvents::Instance()->WatchConnect(SocketHandle());
}

void ClientSocket::Abort() {
    address_.Cancel();
    Close();
}
