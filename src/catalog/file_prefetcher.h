// Reads a list of files on a thread of its own, ahead of the one parsing
// them: opening and reading thousands of folder files is kernel work that
// can run beside the parse. The files come back in the order given. A file
// that is not a regular file of at most kMaxFileSize bytes, or that cannot
// be read whole, is handed back unread, so the caller reads it the way it
// always does and every failure looks the same as without prefetching.
// What is read but not yet taken is bounded.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace catalog {

class FilePrefetcher {
public:
    static constexpr size_t kMaxFileSize = size_t{64} << 20;

    struct File {
        std::string path;
        bool read = false;  // false: left to the caller
        std::string contents;
    };

    explicit FilePrefetcher(std::vector<std::string> paths);
    ~FilePrefetcher();  // stops reading ahead
    FilePrefetcher(const FilePrefetcher&) = delete;
    FilePrefetcher& operator=(const FilePrefetcher&) = delete;

    // The next file of the list; false once every file was taken. The
    // memory of what `file` held is used again for a later file.
    bool Next(File& file);

private:
    void Run();

    std::vector<std::string> paths_;
    size_t taken_ = 0;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<File> ready_;
    std::vector<std::string> spare_;
    size_t readyBytes_ = 0;
    bool stopping_ = false;
    std::thread reader_;
};

}  // namespace catalog
