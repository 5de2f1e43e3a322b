#include "platform/string_array_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "platform/atomic_file.h"

namespace platform {
namespace {

constexpr char kTag[] = "AMBSTRARRAY1";
constexpr size_t kTagSize = sizeof kTag - 1;

void PutU32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

uint32_t GetU32(const std::string& in, size_t at) {
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= static_cast<uint32_t>(static_cast<unsigned char>(in[at + i])) << (8 * i);
    return v;
}

bool Fail(std::string* error, const std::string& message) {
    if (error) *error = message;
    return false;
}

// Holds an exclusive flock on a side file for as long as it lives. The lock
// lives on its own file because the list file itself is replaced by rename,
// and a lock on a replaced inode would protect nothing.
class FileLock {
public:
    explicit FileLock(const std::string& path) {
        fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd_ < 0) {
            err_ = errno;
            return;
        }
        while (::flock(fd_, LOCK_EX) != 0) {
            if (errno != EINTR) {
                err_ = errno;
                ::close(fd_);
                fd_ = -1;
                return;
            }
        }
    }
    ~FileLock() {
        if (fd_ >= 0) ::close(fd_);  // closing releases the lock
    }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    bool Held() const { return fd_ >= 0; }
    int Error() const { return err_; }

private:
    int fd_ = -1;
    int err_ = 0;
};

}  // namespace

std::string EncodeStringArray(const std::vector<std::string>& items) {
    size_t size = kTagSize + 4;
    for (const auto& s : items) size += 4 + s.size();
    std::string out;
    out.reserve(size);
    out.append(kTag, kTagSize);
    PutU32(out, static_cast<uint32_t>(items.size()));
    for (const auto& s : items) {
        PutU32(out, static_cast<uint32_t>(s.size()));
        out.append(s);
    }
    return out;
}

bool DecodeStringArray(const std::string& content, std::vector<std::string>& items,
                       std::string* error) {
    items.clear();
    if (content.size() < kTagSize + 4 || content.compare(0, kTagSize, kTag) != 0)
        return Fail(error, "it is not a string list of this program");
    uint32_t count = GetU32(content, kTagSize);
    size_t at = kTagSize + 4;
    // Each string needs at least its length word, so a count larger than
    // that allows is damage; checking first keeps a hostile count from
    // reserving gigabytes.
    if (count > (content.size() - at) / 4) return Fail(error, "it is truncated or damaged");
    std::vector<std::string> out;
    out.reserve(count);
    for (uint32_t i = 0; i < count; ++i) {
        if (content.size() - at < 4) return Fail(error, "it is truncated or damaged");
        uint32_t len = GetU32(content, at);
        at += 4;
        if (len > content.size() - at) return Fail(error, "it is truncated or damaged");
        out.emplace_back(content, at, len);
        at += len;
    }
    if (at != content.size()) return Fail(error, "it has unexpected data after its last entry");
    items = std::move(out);
    return true;
}

StringArrayRead ReadStringArrayFile(const std::string& path, std::vector<std::string>& items,
                                    std::string* error) {
    items.clear();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return StringArrayRead::kMissing;
        Fail(error, "Could not open " + path + ": " + std::strerror(errno));
        return StringArrayRead::kFailed;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        static_cast<uint64_t>(st.st_size) > kMaxStringArrayFileSize) {
        ::close(fd);
        Fail(error, "Could not read " + path + ": it is not a regular file of a sensible size");
        return StringArrayRead::kFailed;
    }
    std::string content;
    content.resize(static_cast<size_t>(st.st_size));
    size_t done = 0;
    // Read until end of file, not just st_size bytes, so a file that grew
    // meanwhile is seen as what it is rather than silently cut.
    for (;;) {
        if (done == content.size()) {
            if (content.size() >= kMaxStringArrayFileSize) break;
            content.resize(content.size() + 4096);
        }
        ssize_t n = ::read(fd, content.data() + done, content.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            int e = errno;
            ::close(fd);
            Fail(error, "Could not read " + path + ": " + std::strerror(e));
            return StringArrayRead::kFailed;
        }
        if (n == 0) break;
        done += static_cast<size_t>(n);
    }
    ::close(fd);
    content.resize(done);
    std::string why;
    if (!DecodeStringArray(content, items, &why)) {
        Fail(error, "The file " + path + " is damaged: " + why + ".");
        return StringArrayRead::kFailed;
    }
    return StringArrayRead::kOk;
}

bool WriteStringArrayFile(const std::string& path, const std::vector<std::string>& items,
                          std::string* error, mode_t mode) {
    return WriteFileAtomically(path, EncodeStringArray(items), error, mode);
}

bool UpdateStringArrayFile(const std::string& path,
                           const std::function<bool(std::vector<std::string>&)>& change,
                           std::string* error, mode_t mode) {
    FileLock lock(path + ".lock");
    if (!lock.Held())
        return Fail(error, "Could not lock " + path + ": " + std::strerror(lock.Error()));
    std::vector<std::string> items;
    if (ReadStringArrayFile(path, items, error) == StringArrayRead::kFailed) return false;
    if (!change(items)) return true;
    return WriteStringArrayFile(path, items, error, mode);
}

bool AppendToStringArrayFile(const std::string& path, const std::string& item, std::string* error,
                             mode_t mode) {
    return UpdateStringArrayFile(
        path,
        [&](std::vector<std::string>& items) {
            items.push_back(item);
            return true;
        },
        error, mode);
}

}  // namespace platform
