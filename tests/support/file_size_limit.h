// Makes writes fail the way they do on a full disk, without root or a small
// file system: while alive, this process may write files of at most `bytes`
// (RLIMIT_FSIZE, with SIGXFSZ ignored so the write returns EFBIG instead).
#pragma once

#include <sys/resource.h>

#include <csignal>

namespace testsupport {

class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved_);
        handler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved_;
        small.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &small);
    }
    ~FileSizeLimit() { Lift(); }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    // Gives the room back before the end of the scope.
    void Lift() {
        if (lifted_) return;
        lifted_ = true;
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, handler_);
    }

private:
    rlimit saved_{};
    void (*handler_)(int) = SIG_DFL;
    bool lifted_ = false;
};

}  // namespace testsupport
