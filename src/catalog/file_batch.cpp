// Writing a set of files with one sync.
#include "catalog/file_batch.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/file_io.h"
#include "platform/paths.h"

namespace catalog {
namespace {
constexpr size_t kBufferSize = size_t{1} << 18;

// Read once: reading the umask means setting it, two system calls for each
// of thousands of files otherwise, and nothing here changes it.
mode_t FileMode() {
    static const mode_t mode = 0644 & ~platform::CurrentUmask();
    return mode;
}
}  // namespace

FileBatch::~FileBatch() { Discard(); }

void FileBatch::Fail(const std::string& what, const std::string& path, int err) {
    currentFailed_ = true;
    if (anyFailed_) return;
    anyFailed_ = true;
    error_ = "Could not write " + path + ": " + what + " (" + std::strerror(err) + ")";
}

bool FileBatch::Begin(const std::string& name) {
    current_ = {platform::JoinPath(directory_, name), {}};
    currentFailed_ = false;
    buffer_.clear();
    std::string templ = platform::JoinPath(directory_, "." + name + ".XXXXXX");
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back('\0');
    fd_ = ::mkostemp(buf.data(), O_CLOEXEC);
    if (fd_ < 0) {
        Fail("cannot create a temporary file in " + directory_, current_.target, errno);
        return false;
    }
    current_.temp = buf.data();
    ::fchmod(fd_, FileMode());
    return true;
}

bool FileBatch::Flush() {
    int err = platform::WriteAll(fd_, buffer_.data(), buffer_.size());
    buffer_.clear();
    if (err != 0) Fail("write failed", current_.target, err);
    return err == 0;
}

void FileBatch::Write(std::string_view data) {
    if (fd_ < 0 || currentFailed_) return;
    buffer_.append(data);
    if (buffer_.size() >= kBufferSize) Flush();
}

bool FileBatch::End() {
    if (fd_ < 0) return false;
    if (!currentFailed_) Flush();
    // No early writeback per file (sync_file_range) here: measured, it cost
    // more system time than it saved in the one sync in Commit().
    if (::close(fd_) != 0 && !currentFailed_) Fail("close failed", current_.target, errno);
    fd_ = -1;
    if (currentFailed_) {
        ::unlink(current_.temp.c_str());
        return false;
    }
    staged_.push_back(std::move(current_));
    current_ = {};
    return true;
}

bool FileBatch::Commit() {
    if (fd_ >= 0) End();
    if (anyFailed_) {
        Discard();
        return false;
    }
    int dir = ::open(directory_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0) {
        Fail("cannot open the directory", directory_, errno);
        Discard();
        return false;
    }
    // Every new file's data must be on disk before any rename makes it
    // the catalog; one sync of the file system covers them all.
    if (int err = platform::Sync(dir, platform::SyncScope::kFileSystem)) {
        Fail("sync failed", directory_, err);
        ::close(dir);
        Discard();
        return false;
    }
    bool ok = true;
    for (Staged& s : staged_) {
        if (::rename(s.temp.c_str(), s.target.c_str()) != 0) {
            Fail("rename failed", s.target, errno);
            ::unlink(s.temp.c_str());
            ok = false;
        }
    }
    staged_.clear();
    platform::Sync(dir, platform::SyncScope::kFile);
    ::close(dir);
    return ok;
}

void FileBatch::Discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
        ::unlink(current_.temp.c_str());
    }
    for (Staged& s : staged_) ::unlink(s.temp.c_str());
    staged_.clear();
}

}  // namespace catalog
