// Listening on the control connection's own local address makes the PORT
// address one the server can reach, whatever this machine's name resolves to.
// Only the server itself may connect: anyone else who finds the port first
// would otherwise feed the transfer.
#include "net/ftp_data_socket.h"

#include "net/ftp_client.h"

FtpDataSocket::FtpDataSocket(FtpClient& client)
    : ListenSocket(0, 1, kEventMask, client.IsClosed() ? std::string() : client.LocalAddress()),
      client_(client) {
    if (!client.IsClosed()) {
        acceptOnlyFrom_ = client.PeerAddress();
        client.SetCurrentDataSocket(this);
    }
}

FtpDataSocket::~FtpDataSocket() {
    if (client_.CurrentDataSocket() == this) client_.SetCurrentDataSocket(nullptr);
    Close();
}
