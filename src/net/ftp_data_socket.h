// The data connection of one FTP transfer: a listening socket on any free
// port of the control connection's local address, announced with PORT, that
// the server connects to. While it exists it is its client's current data
// socket; the client's Abort clears that and closes it, which ends any wait
// on it.
#pragma once

#include "net/listen_socket.h"

class FtpClient;

class FtpDataSocket : public ListenSocket {
public:
    static constexpr int kEventMask = kRead | kWrite | kAccept | kClose;  // 43

    explicit FtpDataSocket(FtpClient& client);
    ~FtpDataSocket() override;

    FtpClient& Client() { return client_; }

private:
    FtpClient& client_;
};
