// The FTP reply reader, fed the input in pieces of every size as a slow or
// hostile server would send it: replies come out bounded, and the same
// whatever the pieces.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "net/ftp_reply_reader.h"

namespace {

// All replies of the input fed `step` bytes at a time.
std::vector<std::string> Replies(const char* data, size_t size, size_t step) {
    FtpReplyReader reader;
    std::vector<std::string> out;
    std::string code, text, why;
    for (size_t at = 0; at < size; at += step) {
        reader.Feed(data + at, std::min(step, size - at));
        for (;;) {
            FtpReplyReader::Result r = reader.Next(code, text, why);
            if (r == FtpReplyReader::Result::kNeedMore) break;
            if (r == FtpReplyReader::Result::kInvalid) {
                out.push_back("invalid " + why);
                continue;
            }
            if (code.size() != 3 ||
                text.size() > FtpReplyReader::kMaxReply + FtpReplyReader::kMaxLine)
                __builtin_trap();
            out.push_back(code + " " + text);
        }
        if (reader.Pending().size() > FtpReplyReader::kMaxLine + step) __builtin_trap();
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
    const char* data = reinterpret_cast<const char*>(bytes);
    std::vector<std::string> whole = Replies(data, size, size == 0 ? 1 : size);
    if (Replies(data, size, 1) != whole || Replies(data, size, 7) != whole) __builtin_trap();
    return 0;
}
