#include "purchase/order_file_writer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/paths.h"
#include "platform/string_array_file.h"

namespace purchase {

std::string OrderFileWriter::PrivateDirectory(std::string* error) {
    std::string dir = platform::TempDirectory();
    auto fail = [&](const std::string& why) {
        if (error) *error = "The order could not be written to " + dir + ": " + why;
        return std::string();
    };
    std::size_t slash = dir.rfind('/');
    if (slash != std::string::npos && slash > 0) platform::MakeDirectories(dir.substr(0, slash));
    if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) return fail(std::strerror(errno));
    struct stat st {};
    if (::lstat(dir.c_str(), &st) != 0) return fail(std::strerror(errno));
    if (!S_ISDIR(st.st_mode)) return fail("it is not a directory");
    if (st.st_uid != ::geteuid()) return fail("it belongs to another user");
    if ((st.st_mode & 0777) != 0700 && ::chmod(dir.c_str(), 0700) != 0)
        return fail(std::strerror(errno));
    return dir;
}

std::string OrderFileWriter::Write(const std::vector<std::string>& elements, std::string* error) {
    std::string dir = PrivateDirectory(error);
    if (dir.empty()) return {};
    std::string path = platform::JoinPath(dir, "ambXXXXXX");
    int fd = ::mkstemp(path.data());
    if (fd < 0) {
        if (error)
            *error = "The order file could not be created in " + dir + ": " + std::strerror(errno);
        return {};
    }
    ::close(fd);
    // The reserved name is replaced atomically by the full list.
    std::string why;
    if (!platform::WriteStringArrayFile(path, elements, &why, 0600)) {
        ::unlink(path.c_str());
        if (error) *error = why;
        return {};
    }
    return path;
}

}  // namespace purchase
