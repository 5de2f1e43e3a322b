// The socket layer on its own: a connected pair on the loopback, waits that
// serve the event loop and end when a handler closes the socket, the handler
// table's limit, the error texts, time-outs, and what a wait costs.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QTimer>
#include <chrono>
#include <cstring>
#include <memory>

#include "net/client_socket.h"
#include "net/listen_socket.h"
#include "platform/qt/network_events.h"

namespace {

constexpr int kMask = AsyncSocket::kRead | AsyncSocket::kWrite | AsyncSocket::kClose;

// A listening socket on the loopback and a client connected to it.
struct Pair {
    ListenSocket server{0, 1, kMask, "127.0.0.1"};
    ClientSocket client{InetAddress("127.0.0.1", static_cast<std::uint16_t>(server.LocalPort())),
                        kMask};
};

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Bytes and numbers both ways; a read stores at most size - 1 bytes and a
// terminating NUL; the peer's close ends reading with 0, at once thereafter;
// closed sockets leave no handlers or watches behind.
TEST(AsyncSocket, CarriesBytesAndNumbersBothWaysUntilThePeerCloses) {
    auto* events = platform::NetworkEvents::Instance();
    size_t watched = events->WatchedSockets();
    auto pair = std::make_unique<Pair>();
    Pair& p = *pair;
    p.client.WriteString("hello");
    p.client.WriteLong(0x01020304u);
    char buffer[64];
    std::memset(buffer, 'X', sizeof buffer);
    ASSERT_EQ(p.server.Read(buffer, 4), 3);
    EXPECT_STREQ(buffer, "hel");
    EXPECT_EQ(WinsockUser::HandlerCount(), 3);  // listener, accepted, client
    EXPECT_EQ(buffer[4], 'X');
    EXPECT_EQ(p.server.Read(buffer, 1), 0);
    EXPECT_EQ(buffer[0], '\0');
    ASSERT_EQ(p.server.Read(buffer, 3), 2);
    EXPECT_STREQ(buffer, "lo");
    EXPECT_EQ(p.server.ReadLong(), 0x01020304u);
    p.server.WriteLong(0xfffffffeu);
    EXPECT_EQ(p.client.ReadLong(), 0xfffffffeu);

    p.client.WriteString("last words");
    p.client.Close();
    EXPECT_EQ(WinsockUser::HandlerCount(), 2);
    std::string text;
    int n;
    while ((n = p.server.Read(buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<size_t>(n));
    EXPECT_EQ(text, "last words");
    EXPECT_TRUE(p.server.IsPeerClosed());
    EXPECT_EQ(p.server.Read(buffer, sizeof buffer), 0);
    pair.reset();
    EXPECT_EQ(WinsockUser::HandlerCount(), 0);
    EXPECT_EQ(events->WatchedSockets(), watched);
}

// A handler that closes the socket ends a read waiting for data (with an
// empty buffer) and a write waiting for room; later calls return quietly.
TEST(AsyncSocket, ClosingFromAHandlerEndsAWaitingReadOrWrite) {
    for (bool reading : {true, false}) {
        SCOPED_TRACE(reading ? "read" : "write");
        Pair p;
        p.client.WriteString("x");
        char buffer[16];
        ASSERT_EQ(p.server.Read(buffer, sizeof buffer), 1);
        AsyncSocket& waiter = reading ? static_cast<AsyncSocket&>(p.server) : p.client;
        int ticks = 0;
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&] {
            if (++ticks == 3) waiter.Close();  // timers keep running while the call waits
        });
        timer.start(10);
        std::strcpy(buffer, "stale");
        if (reading) {
            EXPECT_EQ(waiter.Read(buffer, sizeof buffer), 0);
            EXPECT_EQ(buffer[0], '\0');
        } else {
            std::string big(64 * 1024 * 1024, 'w');  // far more than the socket buffers hold
            EXPECT_NO_THROW(waiter.Write(big.data(), big.size()));
        }
        EXPECT_EQ(ticks, 3);
        EXPECT_TRUE(waiter.IsClosed());
        EXPECT_NO_THROW(waiter.WriteString("ignored"));
        EXPECT_EQ(waiter.Read(buffer, sizeof buffer), 0);
    }
}

TEST(AsyncSocket, LargeWritesWaitForRoomInsteadOfFailing) {
    Pair p;
    std::string big(8 * 1024 * 1024, 'q');
    big[12345] = 'r';
    std::string received;
    // The reader runs from a timer while the writer waits for room.
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (!p.server.HasInput()) return;
        char buffer[65536];
        int n = p.server.Read(buffer, sizeof buffer);
        received.append(buffer, static_cast<size_t>(n));
    });
    timer.start(0);
    p.client.Write(big.data(), big.size());
    p.client.Close();
    char buffer[65536];
    int n;
    while ((n = p.server.Read(buffer, sizeof buffer)) > 0)
        received.append(buffer, static_cast<size_t>(n));
    timer.stop();
    EXPECT_TRUE(received == big);
}

// Names are looked up without blocking the event loop; an abort before the
// connection exists cancels the lookup and ends the first read quietly.
TEST(AsyncSocket, HostNamesAreLookedUpAndAnEarlyAbortEndsTheFirstReadQuietly) {
    InetAddress address("localhost", static_cast<std::uint16_t>(21));
    int length = 0;
    const sockaddr_in& sa = address.Resolve(&length);
    EXPECT_EQ(length, 16);
    EXPECT_EQ(ntohs(sa.sin_port), 21);
    EXPECT_EQ(address.DottedAddress(), "127.0.0.1");
    ListenSocket server(0, 1, kMask, "127.0.0.1");
    {
        ClientSocket client(
            InetAddress("localhost", static_cast<std::uint16_t>(server.LocalPort())), kMask);
        QTimer::singleShot(0, [&] { client.Abort(); });
        char buffer[8] = "stale";
        EXPECT_EQ(client.Read(buffer, sizeof buffer), 0);
        EXPECT_EQ(buffer[0], '\0');
        EXPECT_TRUE(client.IsClosed());
        EXPECT_TRUE(client.Address().IsCancelled());
        client.Address().Cancel();  // twice is harmless
        client.Address().Resolve(&length);
        EXPECT_EQ(length, 0);
    }
    EXPECT_EQ(WinsockUser::HandlerCount(), 1);  // only the listener
}

TEST(AsyncSocket, RefusedConnectionIsReportedWithTheSocketCode) {
    int port;
    {
        ListenSocket unused(0, 1, kMask, "127.0.0.1");
        port = unused.LocalPort();
    }  // nothing listens there any more
    ClientSocket client(InetAddress("127.0.0.1", static_cast<std::uint16_t>(port)), kMask);
    char buffer[8];
    EXPECT_THROW(client.Read(buffer, sizeof buffer), CWinsockErr);
    EXPECT_EQ(WinsockUser::LastError(), 10061);
    EXPECT_EQ(WinsockUser::LastOperation(), "ASynch Connect");
    EXPECT_EQ(WinsockUser::ErrorText(), "Connection refused");
}

TEST(AsyncSocket, SilentPeerTimesOutAndTheWaitCostsNoProcessorTime) {
    setenv("AMBIT_NET_TIMEOUT", "1", 1);
    Pair p;
    p.client.WriteString("x");
    char buffer[8];
    ASSERT_EQ(p.server.Read(buffer, sizeof buffer), 1);
    double cpu = CpuSeconds();
    auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(p.server.Read(buffer, sizeof buffer), CWinsockErr);
    double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    cpu = CpuSeconds() - cpu;
    unsetenv("AMBIT_NET_TIMEOUT");
    EXPECT_EQ(WinsockUser::LastError(), 10060);
    EXPECT_EQ(WinsockUser::LastOperation(), "read");
    EXPECT_GE(wall, 0.95);
    EXPECT_LT(cpu, 0.25 * wall) << "a wait must sleep, not spin";
}

// The kernel hands a closed socket's number to the next socket at once; the
// old object going away must not take the new socket's notifications with it.
struct NumberedClient : ClientSocket {
    using AsyncSocket::Handle;
    using ClientSocket::ClientSocket;
};

TEST(AsyncSocket, ReusedDescriptorKeepsItsNotificationsWhenTheOldSocketIsDestroyed) {
    ListenSocket oldServer{0, 1, kMask, "127.0.0.1"};
    auto old = std::make_unique<NumberedClient>(
        InetAddress("127.0.0.1", static_cast<std::uint16_t>(oldServer.LocalPort())), kMask);
    ListenSocket server{0, 1, kMask, "127.0.0.1"};
    int oldNumber = old->Handle();
    old->Close();
    NumberedClient client{InetAddress("127.0.0.1", static_cast<std::uint16_t>(server.LocalPort())),
                          kMask};
    ASSERT_EQ(client.Handle(), oldNumber) << "the test needs the number to be reused";
    old.reset();
    client.WriteString("still heard");
    char buffer[32];
    ASSERT_GT(server.Read(buffer, sizeof buffer), 0);
    server.WriteString("reply");
    int n = client.Read(buffer, sizeof buffer);
    ASSERT_GT(n, 0);
    EXPECT_EQ(std::string(buffer, static_cast<size_t>(n)), "reply");
}

}  // namespace
