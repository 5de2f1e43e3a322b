// Benchmark driver for the FTP client (run by bench/ftp-download.sh).
//
//   ftp-get-bench get HOST PORT REMOTE LOCAL   one binary Get as anonymous;
//                                               prints "bytes seconds"
//   ftp-get-bench idle SECONDS                 waits on a server that never
//                                               answers until the time-out ends
//                                               the wait; prints "wall cpu"
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "net/ftp_client.h"

namespace {

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

int Fail() {
    int code = 0;
    std::string context, text;
    FtpClient::GetErrorInfo(code, context, text);
    std::fprintf(stderr, "ftp-get-bench: %s--%s (%d)\n", context.c_str(), text.c_str(), code);
    return 1;
}

int Get(const char* host, int port, const char* remote, const char* local) {
    try {
        FtpClient client(host, port, "anonymous", "bench@localhost");
        std::int64_t bytes = 0;
        auto start = std::chrono::steady_clock::now();
        if (!client.Get(remote, local, bytes, true)) return 1;
        double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("%lld %.6f\n", static_cast<long long>(bytes), seconds);
        client.Quit();
        return 0;
    } catch (const CWinsockErr&) {
        return Fail();
    }
}

// The kernel completes the connection into the backlog; nobody ever accepts
// it or says a word, so the client's wait for the greeting sees nothing.
int Idle(const char* seconds) {
    int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof sa;
    if (bind(listener, reinterpret_cast<sockaddr*>(&sa), len) != 0 || listen(listener, 1) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&sa), &len) != 0) {
        std::perror("ftp-get-bench: listen");
        return 1;
    }
    setenv("AMBIT_NET_TIMEOUT", seconds, 1);
    double cpu = CpuSeconds();
    auto start = std::chrono::steady_clock::now();
    try {
        FtpClient client("127.0.0.1", ntohs(sa.sin_port), "anonymous", "x");
        std::fprintf(stderr, "ftp-get-bench: the silent server answered\n");
        return 1;
    } catch (const CWinsockErr&) {
        int code = 0;
        std::string context, text;
        FtpClient::GetErrorInfo(code, context, text);
        if (code != 10060) return Fail();
    }
    double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%.3f %.4f\n", wall, CpuSeconds() - cpu);
    close(listener);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "get" && argc == 6) return Get(argv[2], std::atoi(argv[3]), argv[4], argv[5]);
    if (mode == "idle" && argc == 3) return Idle(argv[2]);
    std::fprintf(stderr, "usage: ftp-get-bench get HOST PORT REMOTE LOCAL | idle SECONDS\n");
    return 2;
}
