// Line-end conversion for ASCII-mode transfers: the wire carries CR LF, a
// local file has LF. Both converters work block by block, so a line end cut
// between two blocks is converted like any other.
#pragma once

#include <cstddef>
#include <string>

// The wire's CR LF becomes LF; a CR at the end of one block waits for the
// next to see whether a LF follows.
class AsciiDecoder {
public:
    void Decode(const char* in, std::size_t n, std::string& out);
    // What is still held back at the end of the data (a lone CR).
    std::string Finish() { return pendingCr_ ? std::string("\r") : std::string(); }

private:
    bool pendingCr_ = false;
};

// A LF not already preceded by CR goes out as CR LF, so a file that already
// has CR LF line ends is not doubled.
class AsciiEncoder {
public:
    void Encode(const char* in, std::size_t n, std::string& out);

private:
    char last_ = 0;
};
