#include "platform/file_io.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace platform {
namespace {

int RealSync(int fd, SyncScope scope) {
    int rc = scope == SyncScope::kFile ? ::fsync(fd) : ::syncfs(fd);
    return rc == 0 ? 0 : errno;
}

SyncFunction& CurrentSync() {
    static SyncFunction function = RealSync;
    return function;
}

}  // namespace

int WriteAll(int fd, const void* data, std::size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t n = ::write(fd, p, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        p += n;
        size -= static_cast<std::size_t>(n);
    }
    return 0;
}

int Sync(int fd, SyncScope scope) { return CurrentSync()(fd, scope); }

SyncFunction SetSyncFunction(SyncFunction function) {
    SyncFunction previous = CurrentSync();
    CurrentSync() = function ? function : RealSync;
    return previous;
}

mode_t CurrentUmask() {
    mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

}  // namespace platform
