// Output is rebuilt per block: blocks are at most a transfer block long.
#include "net/ascii_line_ends.h"

void AsciiDecoder::Decode(const char* in, std::size_t n, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < n; ++i) {
        char c = in[i];
        if (pendingCr_) {
            pendingCr_ = false;
            if (c == '\n') {
                out += '\n';
                continue;
            }
            out += '\r';
        }
        if (c == '\r')
            pendingCr_ = true;
        else
            out += c;
    }
}

void AsciiEncoder::Encode(const char* in, std::size_t n, std::string& out) {
    out.clear();
    for (std::size_t i = 0; i < n; ++i) {
        char c = in[i];
        if (c == '\n' && last_ != '\r') out += '\r';
        out += c;
        last_ = c;
    }
}
