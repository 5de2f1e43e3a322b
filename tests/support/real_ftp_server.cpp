#include "real_ftp_server.h"

#include <pwd.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

namespace testsupport {

const char* RealFtpServer::Name(Kind kind) {
    return kind == Kind::kVsftpd ? "vsftpd" : "pure-ftpd";
}

RealFtpServer::RealFtpServer(Kind kind) {
    if (kind == Kind::kVsftpd) {
        root_ = work_.File("root");
        sitePath_ = "/";
    } else {
        // Its anonymous root is the ftp user's home; a directory of our own
        // in it keeps tests apart.
        const passwd* ftp = getpwnam("ftp");
        if (!ftp || !ftp->pw_dir) {
            error_ = "no system user \"ftp\" for pure-ftpd's anonymous root";
            return;
        }
        std::string pattern = std::string(ftp->pw_dir) + "/ambit-test-XXXXXX";
        if (!mkdtemp(pattern.data())) {
            error_ = "cannot create a directory in " + std::string(ftp->pw_dir);
            return;
        }
        root_ = pattern;
        ownRoot_ = true;
        sitePath_ = "/" + std::filesystem::path(root_).filename().string();
    }
    std::filesystem::create_directories(root_);
    // Anonymous users must be able to read it; vsftpd refuses a writable one.
    ::chmod(root_.c_str(), 0755);
    process_ = std::make_unique<ServerProcess>(
        "real_ftp_server.py", std::vector<std::string>{Name(kind), root_, work_.Path()});
    if (process_->Port() <= 0) error_ = process_->Error();
}

RealFtpServer::~RealFtpServer() {
    process_.reset();
    if (ownRoot_) {
        std::error_code ec;
        std::filesystem::remove_all(root_, ec);
    }
}

}  // namespace testsupport
