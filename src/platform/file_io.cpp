#include "platform/file_io.h"

#include <fcntl.h>
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

bool ReadRegularFile(const std::string& path, std::size_t limit, std::string& out) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat st {};
    bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= 0 &&
              static_cast<unsigned long long>(st.st_size) <= limit;
    if (ok) {
        const size_t size = static_cast<size_t>(st.st_size);
        out.resize(size + 1);  // one byte more shows a file that grew
        size_t got = 0;
        while (got < out.size()) {
            ssize_t n = ::read(fd, out.data() + got, out.size() - got);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                ok = n == 0;
                break;
            }
            got += static_cast<size_t>(n);
        }
        ok = ok && got == size;
        out.resize(ok ? size : 0);
    }
    ::close(fd);
    return ok;
}

}  // namespace platform
