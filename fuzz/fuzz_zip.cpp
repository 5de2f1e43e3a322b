// Zip extraction into a fresh temporary directory, bounded to one
// megabyte: whatever the archive holds, nothing lands outside it.
#include <fcntl.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/zip_extract.h"

namespace fs = std::filesystem;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string base = [] {
        char templ[] = "/tmp/ambit-fuzz-zip-XXXXXX";
        const char* made = ::mkdtemp(templ);
        if (!made) std::abort();
        return std::string(made);
    }();
    const std::string archive = base + "/in.zip";
    const std::string target = base + "/out";
    fs::remove_all(target);
    fs::create_directory(target);
    int fd = ::open(archive.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) std::abort();
    if (size > 0 && ::write(fd, data, size) != static_cast<ssize_t>(size)) std::abort();
    ::close(fd);

    platform::ExtractZip(archive, target, 1024 * 1024);

    for (const auto& e : fs::directory_iterator(base))
        if (e.path() != archive && e.path() != target) __builtin_trap();
    return 0;
}
