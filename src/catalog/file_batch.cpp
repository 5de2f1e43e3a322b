// Writing a set of files with one sync.
#include "catalog/file_batch.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

#include "platform/file_io.h"
#include "platform/paths.h"

namespace catalog {
namespace {
constexpr size_t kBufferSize = size_t{1} << 18;
// Enough for the writer never to run dry while the caller produces text,
// little enough not to matter beside the catalog itself.
constexpr size_t kMaxQueued = size_t{1} << 21;

// Read once: reading the umask means setting it, two system calls for each
// of thousands of files otherwise, and nothing here changes it.
mode_t FileMode() {
    static const mode_t mode = 0644 & ~platform::CurrentUmask();
    return mode;
}
}  // namespace

FileBatch::~FileBatch() {
    StopWriter();
    Discard();
}

void FileBatch::Fail(const std::string& what, const std::string& path, int err) {
    currentFailed_ = true;
    std::lock_guard<std::mutex> lock(mutex_);
    if (anyFailed_) return;
    error_ = "Could not write " + path + ": " + what + " (" + std::strerror(err) + ")";
    anyFailed_ = true;
}

bool FileBatch::Failed() {
    std::lock_guard<std::mutex> lock(mutex_);
    return anyFailed_;
}

void FileBatch::Post(Step step) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!writer_.joinable() && !inline_) {
        try {
            writer_ = std::thread([this] { Run(); });
        } catch (const std::system_error&) {
            inline_ = true;  // no thread to be had: write on this one
        }
    }
    if (inline_) {
        lock.unlock();
        Perform(step);
        return;
    }
    changed_.wait(lock, [this] { return queuedBytes_ < kMaxQueued; });
    queuedBytes_ += step.data.size();
    queue_.push_back(std::move(step));
    lock.unlock();
    changed_.notify_all();
}

void FileBatch::PostBuffer() {
    std::string next;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (!spare_.empty()) {
            next = std::move(spare_.back());
            spare_.pop_back();
        }
    }
    next.clear();
    buffer_.swap(next);
    Post({Step::Kind::kWrite, std::move(next)});
}

void FileBatch::StopWriter() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (writer_.joinable()) writer_.join();
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = false;  // a later Begin starts a writer again
}

void FileBatch::Run() {
    for (;;) {
        Step step;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (queue_.empty()) return;
            step = std::move(queue_.front());
            queue_.pop_front();
        }
        Perform(step);
        {
            std::lock_guard<std::mutex> lock(mutex_);
            queuedBytes_ -= step.data.size();
            if (step.kind == Step::Kind::kWrite) spare_.push_back(std::move(step.data));
        }
        changed_.notify_all();
    }
}

void FileBatch::Perform(Step& step) {
    switch (step.kind) {
        case Step::Kind::kBegin:
            Open(step.data);
            break;
        case Step::Kind::kWrite:
            WriteOut(step.data);
            break;
        case Step::Kind::kEnd:
            Close();
            break;
    }
}

void FileBatch::Open(const std::string& name) {
    current_ = {platform::JoinPath(directory_, name), {}};
    currentFailed_ = false;
    if (Failed()) {
        currentFailed_ = true;  // the batch is lost already: no more files
        return;
    }
    std::string templ = platform::JoinPath(directory_, "." + name + ".XXXXXX");
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back('\0');
    fd_ = ::mkostemp(buf.data(), O_CLOEXEC);
    if (fd_ < 0) {
        Fail("cannot create a temporary file in " + directory_, current_.target, errno);
        return;
    }
    current_.temp = buf.data();
    ::fchmod(fd_, FileMode());
}

void FileBatch::WriteOut(const std::string& data) {
    if (fd_ < 0 || currentFailed_) return;
    if (int err = platform::WriteAll(fd_, data.data(), data.size()))
        Fail("write failed", current_.target, err);
}

void FileBatch::Close() {
    if (fd_ < 0) return;
    // No early writeback per file (sync_file_range) here: measured, it cost
    // more system time than it saved in the one sync in Commit().
    if (::close(fd_) != 0 && !currentFailed_) Fail("close failed", current_.target, errno);
    fd_ = -1;
    if (currentFailed_) {
        ::unlink(current_.temp.c_str());
        return;
    }
    staged_.push_back(std::move(current_));
    current_ = {};
}

bool FileBatch::Begin(const std::string& name) {
    if (open_) End();
    buffer_.clear();
    open_ = true;
    Post({Step::Kind::kBegin, name});
    return true;
}

void FileBatch::Write(std::string_view data) {
    if (!open_) return;
    buffer_.append(data);
    if (buffer_.size() >= kBufferSize) PostBuffer();
}

bool FileBatch::End() {
    if (!open_) return false;
    open_ = false;
    if (!buffer_.empty()) PostBuffer();
    Post({Step::Kind::kEnd, {}});
    return !Failed();
}

bool FileBatch::Commit() {
    if (open_) End();
    StopWriter();
    if (Failed()) {
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
