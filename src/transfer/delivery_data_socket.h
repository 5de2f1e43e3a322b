// The socket over which a bought file arrives: skiff listens, tells the
// delivery server the port in the purchase request, and the server connects
// back. Only the delivery server itself may connect; anyone else who finds
// the port first is turned away and the wait goes on, so no stranger can
// feed a paid file.
#pragma once

#include <string>

#include "net/listen_socket.h"

namespace transfer {

class DeliveryDataSocket : public ListenSocket {
public:
    static constexpr int kEventMask = kRead | kAccept | kClose;

    // Listens on every local address (the server connects to the address it
    // saw the request come from) and accepts only `serverAddress` (dotted).
    explicit DeliveryDataSocket(const std::string& serverAddress);
};

}  // namespace transfer
