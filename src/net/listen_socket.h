// An asynchronous socket that accepts one connection. After the accept,
// reads and writes go to the accepted socket. By default it listens on this
// machine's address; a caller can name the local address to listen on (a
// data connection listens where its control connection is).
#pragma once

#include <string>

#include "net/async_socket.h"

class ListenSocket : public AsyncSocket {
public:
    // port 0 picks any free port. The accept notification is always added to
    // the mask.
    ListenSocket(int port, int backlog, int eventMask, const std::string& bindHost = "");

    // Binds, listens and registers for notifications.
    void Prepare() override;
    bool HasAccepted() const { return accepted_ >= 0; }

private:
    int port_;
    int backlog_;
    std::string bindHost_;
};
