#include "platform/zip_extract.h"

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/file_io.h"

namespace platform {
namespace {

std::vector<std::string> SplitPath(const std::string& path) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find('/', start);
        if (end == std::string::npos) end = path.size();
        parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

// An open directory descriptor that closes itself.
class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(Fd&& o) noexcept : fd_(o.fd_) { o.fd_ = -1; }
    Fd& operator=(Fd&& o) noexcept {
        if (this != &o) {
            if (fd_ >= 0) ::close(fd_);
            fd_ = o.fd_;
            o.fd_ = -1;
        }
        return *this;
    }
    int get() const { return fd_; }
    bool ok() const { return fd_ >= 0; }

private:
    int fd_;
};

// Walks down from root through the given directory names, creating missing
// ones. No symbolic link is ever followed on the way (O_NOFOLLOW on each
// step), so an entry can never be written through a link, whether the link
// came from this archive or was there before. *why is set on failure.
Fd OpenDirectoryPath(int root, const std::vector<std::string>& dirs, size_t count,
                     std::string* why) {
    Fd cur(::dup(root));
    for (size_t i = 0; i < count && cur.ok(); ++i) {
        if (::mkdirat(cur.get(), dirs[i].c_str(), 0755) != 0 && errno != EEXIST) {
            *why = std::strerror(errno);
            return Fd();
        }
        Fd next(
            ::openat(cur.get(), dirs[i].c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        if (!next.ok()) {
            *why = (errno == ELOOP || errno == ENOTDIR) ? "a link or a file stands in its path"
                                                        : std::strerror(errno);
            return Fd();
        }
        cur = std::move(next);
    }
    return cur;
}

void Note(ZipExtractResult& r, std::vector<std::string>& list, const std::string& name,
          const std::string& why) {
    list.push_back(name);
    if (r.error.empty()) r.error = "\"" + name + "\": " + why;
}

// How many more bytes extraction may write.
struct Budget {
    std::uint64_t left = 0;
    bool exhausted = false;
};

// Copies the current entry's data into a new file; on any failure the
// partial file is removed so that no truncated file looks complete.
bool ExtractFile(archive* a, int dir, const std::string& base, mode_t perm, Budget& budget,
                 std::string* why) {
    Fd out(
        ::openat(dir, base.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!out.ok()) {
        *why = errno == ELOOP ? "a link stands in its place" : std::strerror(errno);
        return false;
    }
    const void* block = nullptr;
    size_t size = 0;
    la_int64_t offset = 0;
    la_int64_t written = 0;
    for (;;) {
        int r = archive_read_data_block(a, &block, &size, &offset);
        if (r == ARCHIVE_EOF) break;
        if (r < ARCHIVE_WARN) {
            *why = archive_error_string(a) ? archive_error_string(a) : "the archive is damaged";
            ::unlinkat(dir, base.c_str(), 0);
            return false;
        }
        // Sparse entries report holes through the offset.
        if (offset != written && ::lseek(out.get(), offset, SEEK_SET) < 0) {
            *why = std::strerror(errno);
            ::unlinkat(dir, base.c_str(), 0);
            return false;
        }
        if (size > budget.left) {
            budget.exhausted = true;
            *why = "the archive expands to more than the free space allows";
            ::unlinkat(dir, base.c_str(), 0);
            return false;
        }
        budget.left -= size;
        if (int err = WriteAll(out.get(), block, size)) {
            *why = std::strerror(err);
            ::unlinkat(dir, base.c_str(), 0);
            return false;
        }
        written = offset + static_cast<la_int64_t>(size);
    }
    if (::ftruncate(out.get(), written) != 0 || ::fchmod(out.get(), perm) != 0) {
        *why = std::strerror(errno);
        ::unlinkat(dir, base.c_str(), 0);
        return false;
    }
    return true;
}

}  // namespace

bool SafeEntryName(const std::string& name, std::string* clean) {
    if (name.empty() || name[0] == '/') return false;
    std::string out;
    for (const auto& part : SplitPath(name)) {
        if (part.empty() || part == ".") continue;
        if (part == "..") return false;
        if (!out.empty()) out += '/';
        out += part;
    }
    if (out.empty()) return false;
    if (clean) *clean = out;
    return true;
}

// Leading ".." may climb from the link's directory at most up to the target
// directory; after the first ordinary name no ".." may follow. That keeps the
// link inside even when it passes through other links of the archive: the
// climb happens only through real directories we created, and every later
// step goes down, through names that are themselves checked this way.
bool SafeLinkTarget(const std::string& clean, const std::string& target) {
    if (target.empty() || target[0] == '/') return false;
    size_t depth = SplitPath(clean).size() - 1;  // directories above the link
    bool descending = false;
    for (const auto& part : SplitPath(target)) {
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            if (descending || depth == 0) return false;
            --depth;
        } else {
            descending = true;
        }
    }
    return true;
}

ZipExtractResult ExtractZip(const std::string& archivePath, const std::string& targetDir,
                            std::uint64_t maxBytes) {
    ZipExtractResult result;
    Fd root(::open(targetDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!root.ok()) {
        result.error = "Could not open the folder " + targetDir + ": " + std::strerror(errno);
        return result;
    }
    Budget budget;
    budget.left = maxBytes;
    if (budget.left == 0) {
        struct statvfs fs {};
        if (::fstatvfs(root.get(), &fs) != 0) {
            result.error =
                "Could not find the free space of " + targetDir + ": " + std::strerror(errno);
            return result;
        }
        budget.left = static_cast<std::uint64_t>(fs.f_bavail) * fs.f_frsize / 10 * 9;
    }
    // The archive itself may lie in the target folder: no entry replaces it.
    struct stat self {};
    if (::stat(archivePath.c_str(), &self) != 0) {
        result.error = "Could not open the archive " + archivePath + ": " + std::strerror(errno);
        return result;
    }
    archive* a = archive_read_new();
    archive_read_support_format_all(a);
    archive_read_support_filter_all(a);
    if (archive_read_open_filename(a, archivePath.c_str(), 1 << 16) != ARCHIVE_OK) {
        const char* e = archive_error_string(a);
        result.error =
            "Could not open the archive " + archivePath + ": " + (e ? e : "unknown format");
        archive_read_free(a);
        return result;
    }
    const mode_t umask = CurrentUmask();
    for (;;) {
        archive_entry* entry = nullptr;
        int r = archive_read_next_header(a, &entry);
        if (r == ARCHIVE_EOF) {
            result.archiveRead = true;
            break;
        }
        if (r < ARCHIVE_WARN) {
            const char* e = archive_error_string(a);
            if (result.error.empty())
                result.error =
                    "The archive " + archivePath + " is damaged: " + (e ? e : "unreadable entry");
            break;
        }
        const char* rawName = archive_entry_pathname(entry);
        std::string name = rawName ? rawName : "";
        std::string clean;
        if (!SafeEntryName(name, &clean)) {
            bool harmless = !name.empty() && name[0] != '/' && name.find("..") == std::string::npos;
            if (!harmless)
                Note(result, result.skipped, name, "it would be written outside the folder");
            continue;  // "./" and the like name the folder itself
        }
        std::vector<std::string> parts = SplitPath(clean);
        const mode_t type = archive_entry_filetype(entry);
        std::string why;
        if (type == AE_IFDIR) {
            if (OpenDirectoryPath(root.get(), parts, parts.size(), &why).ok())
                ++result.extracted;
            else
                Note(result, result.failed, name, why);
            continue;
        }
        if (archive_entry_hardlink(entry) != nullptr) {
            Note(result, result.skipped, name, "hard links are not extracted");
            continue;
        }
        if (type != AE_IFREG && type != AE_IFLNK) {
            Note(result, result.skipped, name, "only files, folders and links are extracted");
            continue;
        }
        if (type == AE_IFLNK) {
            const char* t = archive_entry_symlink(entry);
            if (!t || !SafeLinkTarget(clean, t)) {
                Note(result, result.skipped, name, "it is a link pointing outside the folder");
                continue;
            }
        }
        Fd dir = OpenDirectoryPath(root.get(), parts, parts.size() - 1, &why);
        if (!dir.ok()) {
            Note(result, result.skipped, name, why);
            continue;
        }
        const std::string& base = parts.back();
        struct stat there {};
        const bool exists = ::fstatat(dir.get(), base.c_str(), &there, AT_SYMLINK_NOFOLLOW) == 0;
        if (exists && there.st_dev == self.st_dev && there.st_ino == self.st_ino) {
            Note(result, result.skipped, name, "it would replace the archive being unzipped");
            continue;
        }
        if (type == AE_IFLNK) {
            if (exists && !S_ISDIR(there.st_mode)) ::unlinkat(dir.get(), base.c_str(), 0);
            if (::symlinkat(archive_entry_symlink(entry), dir.get(), base.c_str()) == 0)
                ++result.extracted;
            else
                Note(result, result.failed, name, std::strerror(errno));
            continue;
        }
        mode_t perm = archive_entry_perm(entry) & 0777;
        perm = ((perm == 0 ? 0644 : perm) | 0600) & ~umask;
        if (ExtractFile(a, dir.get(), base, perm, budget, &why)) {
            ++result.extracted;
            continue;
        }
        Note(result, result.failed, name, why);
        if (budget.exhausted) {
            result.error = "Unzipping " + archivePath + " was stopped at \"" + name +
                           "\": the archive expands to more than the free space of " + targetDir +
                           " allows.";
            break;
        }
    }
    archive_read_free(a);
    return result;
}

}  // namespace platform
