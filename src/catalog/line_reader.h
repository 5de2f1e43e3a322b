// Reads a data file line by line from a stream in large chunks, the way a
// text-mode read would: "\r\n" and "\n" both end a line, the last line may
// lack its end, and a line longer than kMaxLineLength is cut there (the
// rest of it is skipped) so hostile files cannot exhaust memory.
#pragma once

#include <cstdint>
#include <istream>
#include <memory>
#include <string>
#include <string_view>

namespace catalog {

class LineReader {
public:
    static constexpr size_t kMaxLineLength = size_t{1} << 20;

    explicit LineReader(std::istream& in) : in_(in) {}

    // The next line without its end; false at the end of the input. The
    // view stays valid until the next call.
    bool Next(std::string_view& line);
    // Whether the line last returned was cut at kMaxLineLength.
    bool Truncated() const { return truncated_; }
    // Bytes consumed so far, line ends included.
    std::int64_t Consumed() const { return consumed_; }

private:
    bool Fill();

    std::string_view Data() const { return {buffer_.get(), size_}; }

    std::istream& in_;
    // Raw storage: a string would clear every chunk before it is read into.
    std::unique_ptr<char[]> buffer_;
    size_t capacity_ = 0;
    size_t size_ = 0;
    size_t start_ = 0;
    size_t chunk_ = 0;
    bool eof_ = false;
    bool truncated_ = false;
    std::string long_;  // a cut line being skipped or assembled
    std::int64_t consumed_ = 0;
};

}  // namespace catalog
