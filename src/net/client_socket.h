// An asynchronous socket that connects to an address. The connection is made
// on first use (Read, Write, LocalPort, LocalAddress) and completes in the
// background; a refused connection is reported to the call that waits.
#pragma once

#include "net/async_socket.h"
#include "net/inet_address.h"

class ClientSocket : public AsyncSocket {
public:
    // The connect notification is always added to the mask.
    ClientSocket(const InetAddress& address, int eventMask);

    // Resolves the address, registers for notifications and starts the connect.
    void Prepare() override;
    // Cancels a pending lookup and closes the socket; safe from any handler.
    void Abort();

    InetAddress& Address() { return address_; }

private:
    InetAddress address_;
};
