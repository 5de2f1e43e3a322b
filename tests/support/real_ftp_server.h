// The FTP daemons of the field run for tests by tests/servers/real_ftp_server.py:
// vsftpd and pure-ftpd, anonymous, on 127.0.0.1. Each quirk they have (a
// link listed beside its target, 230 to USER) is one a scripted server
// could only imitate. The files go into Root(); clients find them at
// SitePath(). Stopped, and pure-ftpd's directory removed, when the object
// goes away.
#pragma once

#include <memory>
#include <string>

#include "server_process.h"
#include "temp_dir.h"

namespace testsupport {

class RealFtpServer {
public:
    enum class Kind { kVsftpd, kPureFtpd };

    explicit RealFtpServer(Kind kind);
    ~RealFtpServer();

    // Port() is 0 when the daemon is not installed or did not start.
    int Port() const { return process_ ? process_->Port() : 0; }
    const std::string& Error() const { return error_; }
    const std::string& Root() const { return root_; }
    const std::string& SitePath() const { return sitePath_; }
    static const char* Name(Kind kind);

private:
    TempDir work_;
    std::string root_, sitePath_, error_;
    bool ownRoot_ = false;  // pure-ftpd: a directory in the ftp user's home
    std::unique_ptr<ServerProcess> process_;
};

}  // namespace testsupport
