// A TCP socket driven by notifications. Its calls look blocking to the
// caller: Read and Write run rounds of the event loop until the socket is
// ready, so the user interface stays alive, and closing the socket from a
// handler during such a wait (an Abort button) ends the wait at once. The
// state bits record what the notifications said.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "net/bounded_wait.h"
#include "net/winsock_user.h"

class AsyncSocket : public WinsockUser {
public:
    // Notification kinds for event masks (the FD_* values).
    enum Event : int { kRead = 1, kWrite = 2, kAccept = 8, kConnect = 16, kClose = 32 };
    // State bits.
    enum StateBit : int {
        kInputWaiting = 0x01,
        kWritable = 0x02,  // also: connected
        kPeerClosed = 0x08,
        kClosedHere = 0x10,  // also the abort mark
        kPrepared = 0x20,
    };

    explicit AsyncSocket(int eventMask);
    ~AsyncSocket() override;
    AsyncSocket(const AsyncSocket&) = delete;
    AsyncSocket& operator=(const AsyncSocket&) = delete;

    void OnNotify(unsigned message, std::intptr_t handle, Notification note) override;
    // Makes the socket usable (connect or listen).
    virtual void Prepare() = 0;

    // Waits for input and reads at most size-1 bytes, then terminates the
    // buffer with NUL. Returns the count; 0 when the peer has closed the
    // connection or the socket was closed here (the buffer is then empty).
    int Read(char* buffer, int size);
    // Reads exactly 4 bytes in network order. 0 if closed here meanwhile;
    // the peer closing before 4 bytes is an error.
    std::uint32_t ReadLong();
    // Sends all of data, waiting while the socket cannot take more (and, for
    // a socket without a peer yet, until it has one). Returns at once, without
    // error, if the socket is or becomes closed here.
    void Write(const char* data, std::size_t length);
    // The same as urgent (out-of-band) data.
    void WriteUrgent(const char* data, std::size_t length);
    void WriteString(const std::string& text) { Write(text.data(), text.size()); }
    void WriteLong(std::uint32_t number);

    bool HasInput() const { return (state_ & (kInputWaiting | kPeerClosed)) != 0; }
    bool IsWritable() const { return (state_ & kWritable) != 0; }
    bool IsPeerClosed() const { return (state_ & kPeerClosed) != 0; }
    bool IsClosed() const { return (state_ & kClosedHere) != 0; }
    bool IsPrepared() const { return (state_ & kPrepared) != 0; }
    int StateBits() const { return state_; }

    // The local port and IPv4 address ("Get socket info" on failure); both
    // prepare the socket first.
    int LocalPort();
    std::string LocalAddress();
    // The IPv4 address of the connected peer ("Get socket info" on failure).
    std::string PeerAddress();

    // Closes the socket (and an accepted one) unless already closed here.
    void Close();

protected:
    // Registers the socket for its notifications (part of both Prepare).
    void AsyncPrepare();
    // The handle reads and writes use: the accepted socket if there is one.
    int Handle() const { return accepted_ >= 0 ? accepted_ : socket_; }
    int SocketHandle() const { return socket_; }
    void SetState(int bits) { state_ |= bits; }

    int eventMask_;
    int socket_ = -1;
    int accepted_ = -1;
    int state_ = 0;
    bool hasPeer_ = false;  // connected, or a connection accepted
    // When set, a connection from any other address is closed at once and
    // the socket goes on waiting for the right one.
    std::string acceptOnlyFrom_;
    BoundedWait wait_;

private:
    void Send(const char* data, std::size_t length, int flags);
    void Accept();
};
