// Reads a data file line by line from a stream in large chunks, the way a
// text-mode read would: "\r\n" and "\n" both end a line, the last line may
// lack its end, and a line longer than kMaxLineLength is cut there (the
// rest of it is skipped) so hostile files cannot exhaust memory.
#pragma once

#include <cstdint>
#include <istream>
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

    std::istream& in_;
    std::string buffer_;
    size_t start_ = 0;
    size_t chunk_ = 0;
    bool eof_ = false;
    bool truncated_ = false;
    std::string long_;  // a cut line being skipped or assembled
    std::int64_t consumed_ = 0;
};

}  // namespace catalog
