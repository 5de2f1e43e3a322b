#include "transfer/delivery_data_socket.h"

namespace transfer {

DeliveryDataSocket::DeliveryDataSocket(const std::string& serverAddress)
    : ListenSocket(0, 1, kEventMask, "0.0.0.0") {
    acceptOnlyFrom_ = serverAddress;
}

}  // namespace transfer
