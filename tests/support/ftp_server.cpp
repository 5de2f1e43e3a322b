// The server script is tests/servers/pyftpd_server.py.
#include "ftp_server.h"

namespace testsupport {

FtpServer::FtpServer(const std::string& root) : FtpServer(root, Options()) {}

FtpServer::FtpServer(const std::string& root, const Options& options)
    : root_(root), options_(options) {
    std::vector<std::string> args{root, "--user", options.user, "--password", options.password};
    if (options.anonymous) args.push_back("--anonymous");
    process_ = std::make_unique<ServerProcess>("pyftpd_server.py", args);
}

FtpServer::~FtpServer() = default;

}  // namespace testsupport
