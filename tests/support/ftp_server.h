// A real FTP server for tests: pyftpdlib on 127.0.0.1, on a free port, over
// a directory (read and write). It knows one user with a password and, unless
// told otherwise, the anonymous user; active mode (PORT) works. Stopped when
// the object goes away. Every wait is bounded. Programs that take the port
// from the environment find it in AMBIT_FTP_PORT when the test sets it.
#pragma once

#include <memory>
#include <string>

#include "server_process.h"

namespace testsupport {

class FtpServer {
public:
    struct Options {
        std::string user = "tester";
        std::string password = "secret";
        bool anonymous = true;  // also accept "anonymous"/"ftp" with any password
    };

    explicit FtpServer(const std::string& root) : FtpServer(root, Options()) {}
    // The server script is tests/servers/pyftpd_server.py.
    FtpServer(const std::string& root, const Options& options) : root_(root), options_(options) {
        std::vector<std::string> args{root, "--user", options.user, "--password", options.password};
        if (options.anonymous) args.push_back("--anonymous");
        process_ = std::make_unique<ServerProcess>("pyftpd_server.py", args);
    }

    bool Started() const { return process_->Port() > 0; }
    const std::string& Error() const { return process_->Error(); }
    std::string Host() const { return "127.0.0.1"; }
    int Port() const { return process_->Port(); }
    const std::string& User() const { return options_.user; }
    const std::string& Password() const { return options_.password; }
    const std::string& Root() const { return root_; }
    // Stops the server now (the destructor does it otherwise).
    void Stop() { process_->Stop(); }

private:
    std::string root_;
    Options options_;
    std::unique_ptr<ServerProcess> process_;
};

}  // namespace testsupport
