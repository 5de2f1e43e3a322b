#include "transfer/local_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace transfer {
namespace {

// Empty when nothing is at `path` or a regular file is; lstat, so a link
// counts as what it is rather than as its target.
std::string NotRegular(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0)
        return errno == ENOENT ? std::string() : std::string(std::strerror(errno));
    if (S_ISREG(st.st_mode)) return {};
    if (S_ISLNK(st.st_mode)) return "it is a symbolic link";
    if (S_ISDIR(st.st_mode)) return "it is a folder";
    return "it is not a regular file";
}

}  // namespace

std::string LocalFile::PartPath(const std::string& target) { return target + ".part"; }

std::string LocalFile::DownloadRefusal(const std::string& target) {
    for (const std::string& path : {target, PartPath(target)}) {
        std::string why = NotRegular(path);
        if (!why.empty()) return "Cannot download to " + path + ": " + why + ".";
    }
    return {};
}

std::string LocalFile::UploadRefusal(const std::string& source) {
    // Opened without blocking: a FIFO would otherwise wait for a writer.
    int fd = ::open(source.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return "Cannot upload " + source + ": " + std::strerror(errno) + ".";
    struct stat st {};
    std::string why;
    if (::fstat(fd, &st) != 0)
        why = std::strerror(errno);
    else if (S_ISDIR(st.st_mode))
        why = "it is a folder";
    else if (!S_ISREG(st.st_mode))
        why = "it is not a regular file";
    ::close(fd);
    return why.empty() ? why : "Cannot upload " + source + ": " + why + ".";
}

bool LocalFile::Commit(const std::string& target, std::string* error) {
    std::string part = PartPath(target);
    if (std::rename(part.c_str(), target.c_str()) == 0) return true;
    if (error)
        *error = "The file arrived as " + part + " but could not be renamed to " + target + ": " +
                 std::strerror(errno) + ".";
    return false;
}

}  // namespace transfer
