// Chunked line splitting for data files.
#include "catalog/line_reader.h"

#include <algorithm>

namespace catalog {
namespace {
// Chunks grow from small to large so that reading thousands of small
// folder files does not touch a megabyte of fresh memory each time.
constexpr size_t kFirstChunk = size_t{1} << 15;
constexpr size_t kLargestChunk = size_t{1} << 20;
}  // namespace

bool LineReader::Fill() {
    if (eof_) return false;
    buffer_.erase(0, start_);
    start_ = 0;
    size_t old = buffer_.size();
    chunk_ = chunk_ == 0 ? kFirstChunk : std::min(chunk_ * 2, kLargestChunk);
    buffer_.resize(old + chunk_);
    in_.read(buffer_.data() + old, static_cast<std::streamsize>(chunk_));
    size_t got = static_cast<size_t>(in_.gcount());
    buffer_.resize(old + got);
    if (got == 0) eof_ = true;
    return got > 0;
}

bool LineReader::Next(std::string_view& line) {
    truncated_ = false;
    for (;;) {
        size_t nl = buffer_.find('\n', start_);
        if (nl != std::string::npos) {
            size_t len = nl - start_;
            consumed_ += static_cast<std::int64_t>(len + 1);
            line = std::string_view(buffer_).substr(start_, len);
            start_ = nl + 1;
            break;
        }
        if (buffer_.size() - start_ > kMaxLineLength) {
            // Keep the first kMaxLineLength bytes, drop the rest of the line.
            long_.assign(buffer_, start_, kMaxLineLength);
            consumed_ += static_cast<std::int64_t>(buffer_.size() - start_);
            buffer_.clear();
            start_ = 0;
            for (;;) {
                if (!Fill()) break;
                size_t end = buffer_.find('\n');
                if (end != std::string::npos) {
                    consumed_ += static_cast<std::int64_t>(end + 1);
                    start_ = end + 1;
                    break;
                }
                consumed_ += static_cast<std::int64_t>(buffer_.size());
                buffer_.clear();
            }
            truncated_ = true;
            line = long_;
            break;
        }
        if (!Fill()) {
            if (start_ >= buffer_.size()) return false;
            // A last line without its line end.
            size_t len = buffer_.size() - start_;
            consumed_ += static_cast<std::int64_t>(len);
            line = std::string_view(buffer_).substr(start_, len);
            start_ = buffer_.size();
            break;
        }
    }
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return true;
}

}  // namespace catalog
