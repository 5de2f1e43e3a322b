// Reading files ahead of their parser.
#include "catalog/file_prefetcher.h"

#include <system_error>

#include "platform/file_io.h"

namespace catalog {
namespace {

// Enough to keep the parser fed, little beside the catalog being read.
constexpr size_t kMaxReadAhead = size_t{4} << 20;

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
        file.read = platform::ReadRegularFile(path, kMaxFileSize, file.contents);
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
