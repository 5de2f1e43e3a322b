#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/file_io.h"

namespace platform {
namespace {
constexpr size_t kBufferSize = 1 << 16;
}  // namespace

AtomicFileWriter::AtomicFileWriter(std::string path, mode_t mode)
    : path_(std::move(path)), mode_(mode) {}

AtomicFileWriter::~AtomicFileWriter() { Discard(); }

bool AtomicFileWriter::Open() {
    auto slash = path_.rfind('/');
    std::string dir = slash == std::string::npos ? "." : path_.substr(0, slash);
    std::string base = slash == std::string::npos ? path_ : path_.substr(slash + 1);
    std::string templ = dir + "/." + base + ".XXXXXX";
    std::vector<char> name(templ.begin(), templ.end());
    name.push_back('\0');
    fd_ = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd_ < 0) {
        Fail("cannot create a temporary file in " + dir, errno);
        return false;
    }
    tempPath_ = name.data();
    mode_t m = (mode_ & 0077) == 0 ? mode_ : (mode_ & ~CurrentUmask());
    ::fchmod(fd_, m);
    buffer_.reserve(kBufferSize);
    return true;
}

void AtomicFileWriter::Fail(const std::string& what, int err) {
    if (failed_) return;
    failed_ = true;
    error_ = "Could not write " + path_ + ": " + what + " (" + std::strerror(err) + ")";
}

bool AtomicFileWriter::Flush() {
    int err = WriteAll(fd_, buffer_.data(), buffer_.size());
    buffer_.clear();
    if (err != 0) Fail("write failed", err);
    return err == 0;
}

void AtomicFileWriter::Write(std::string_view data) {
    if (fd_ < 0 || failed_) return;
    if (buffer_.size() + data.size() > kBufferSize && !buffer_.empty()) {
        if (!Flush()) return;
    }
    if (data.size() >= kBufferSize) {
        buffer_.assign(data);
        Flush();
        return;
    }
    buffer_.append(data);
}

bool AtomicFileWriter::Commit() {
    if (fd_ < 0) {
        if (!failed_) Fail("file was not opened", EBADF);
        return false;
    }
    if (!failed_) Flush();
    if (!failed_) {
        if (int err = Sync(fd_, SyncScope::kFile)) Fail("sync failed", err);
    }
    if (::close(fd_) != 0 && !failed_) Fail("close failed", errno);
    fd_ = -1;
    if (!failed_ && ::rename(tempPath_.c_str(), path_.c_str()) != 0) Fail("rename failed", errno);
    if (failed_) {
        ::unlink(tempPath_.c_str());
        tempPath_.clear();
        return false;
    }
    tempPath_.clear();
    return true;
}

void AtomicFileWriter::Discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!tempPath_.empty()) {
        ::unlink(tempPath_.c_str());
        tempPath_.clear();
    }
}

bool WriteFileAtomically(const std::string& path, std::string_view content, std::string* error,
                         mode_t mode) {
    AtomicFileWriter w(path, mode);
    bool ok = w.Open();
    if (ok) {
        w.Write(content);
        ok = w.Commit();
    }
    if (!ok && error) *error = w.Error();
    return ok;
}

bool ReadWholeFile(const std::string& path, std::string& content) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    content.clear();
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
        content.reserve(static_cast<size_t>(st.st_size));
    char buf[1 << 16];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            return false;
        }
        if (n == 0) break;
        content.append(buf, static_cast<size_t>(n));
    }
    ::close(fd);
    return true;
}

}  // namespace platform
