// Chunked line splitting for data files.
#include "catalog/line_reader.h"

#include <algorithm>
#include <cstring>

namespace catalog {
namespace {
// Chunks grow from small to large so that reading thousands of small
// folder files does not touch a megabyte of fresh memory each time.
constexpr size_t kFirstChunk = size_t{1} << 15;
constexpr size_t kLargestChunk = size_t{1} << 20;
}  // namespace

bool LineReader::Fill() {
    if (eof_) return false;
    if (start_ > 0) {
        std::memmove(buffer_.get(), buffer_.get() + start_, size_ - start_);
        size_ -= start_;
        start_ = 0;
    }
    chunk_ = chunk_ == 0 ? kFirstChunk : std::min(chunk_ * 2, kLargestChunk);
    if (size_ + chunk_ > capacity_) {
        size_t capacity = std::max(size_ + chunk_, capacity_ * 2);
        std::unique_ptr<char[]> bigger(new char[capacity]);
        if (size_ > 0) std::memcpy(bigger.get(), buffer_.get(), size_);
        buffer_ = std::move(bigger);
        capacity_ = capacity;
    }
    in_.read(buffer_.get() + size_, static_cast<std::streamsize>(chunk_));
    size_t got = static_cast<size_t>(in_.gcount());
    size_ += got;
    if (got == 0) eof_ = true;
    return got > 0;
}

bool LineReader::Next(std::string_view& line) {
    truncated_ = false;
    for (;;) {
        size_t nl = Data().find('\n', start_);
        if (nl != std::string_view::npos) {
            size_t len = nl - start_;
            consumed_ += static_cast<std::int64_t>(len + 1);
            line = Data().substr(start_, len);
            start_ = nl + 1;
            break;
        }
        if (size_ - start_ > kMaxLineLength) {
            // Keep the first kMaxLineLength bytes, drop the rest of the line.
            long_.assign(buffer_.get() + start_, kMaxLineLength);
            consumed_ += static_cast<std::int64_t>(size_ - start_);
            size_ = start_ = 0;
            for (;;) {
                if (!Fill()) break;
                size_t end = Data().find('\n');
                if (end != std::string_view::npos) {
                    consumed_ += static_cast<std::int64_t>(end + 1);
                    start_ = end + 1;
                    break;
                }
                consumed_ += static_cast<std::int64_t>(size_);
                size_ = 0;
            }
            truncated_ = true;
            line = long_;
            break;
        }
        if (!Fill()) {
            if (start_ >= size_) return false;
            // A last line without its line end.
            size_t len = size_ - start_;
            consumed_ += static_cast<std::int64_t>(len);
            line = Data().substr(start_, len);
            start_ = size_;
            break;
        }
    }
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return true;
}

}  // namespace catalog
