// Reading files ahead of their parser.
#include "catalog/file_prefetcher.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace catalog {
namespace {

// Enough to keep the parser fed, little beside the catalog being read.
constexpr size_t kMaxReadAhead = size_t{4} << 20;

// The whole file when it is a regular file of at most `limit` bytes that
// does not change size while it is read.
bool ReadRegularFile(const std::string& path, size_t limit, std::string& out) {
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

}  // namespace

FilePrefetcher::FilePrefetcher(std::vector<std::string> paths) : paths_(std::move(paths)) {
    if (paths_.empty()) return;
    try {
        reader_ = std::thread([this] { Run(); });
    } catch (const std::system_error&) {
        // No thread to be had: every file is left to the caller.
    }
}

FilePrefetcher::~FilePrefetcher() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (reader_.joinable()) reader_.join();
}

void FilePrefetcher::Run() {
    for (const std::string& path : paths_) {
        File file;
        file.path = path;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (!spare_.empty()) {
                file.contents = std::move(spare_.back());
                spare_.pop_back();
            }
        }
        file.read = ReadRegularFile(path, kMaxFileSize, file.contents);
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return stopping_ || readyBytes_ < kMaxReadAhead; });
        if (stopping_) return;
        readyBytes_ += file.contents.size();
        ready_.push_back(std::move(file));
        lock.unlock();
        changed_.notify_all();
    }
}

bool FilePrefetcher::Next(File& file) {
    if (taken_ >= paths_.size()) return false;
    if (!reader_.joinable()) {
        file = {paths_[taken_++], false, {}};
        return true;
    }
    ++taken_;
    std::unique_lock<std::mutex> lock(mutex_);
    if (file.contents.capacity() > 0) spare_.push_back(std::move(file.contents));
    changed_.wait(lock, [this] { return !ready_.empty(); });
    file = std::move(ready_.front());
    ready_.pop_front();
    readyBytes_ -= file.contents.size();
    lock.unlock();
    changed_.notify_all();
    return true;
}

}  // namespace catalog
