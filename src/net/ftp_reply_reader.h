// Cuts what arrives on an FTP control connection into replies: a line ends
// at LF (a CR before it is dropped), and a reply whose fourth character is
// '-' runs on to the line that starts with its code and a blank. It knows
// no socket, so hostile input can be fed to it directly; every line and
// every reply is bounded, so an endless one costs no more than the bound.
#pragma once

#include <cstddef>
#include <string>

class FtpReplyReader {
public:
    // A line longer than this (an endless line) is refused rather than
    // gathered without bound; so is a multi-line reply longer in total.
    static constexpr std::size_t kMaxLine = 64 * 1024;
    static constexpr std::size_t kMaxReply = 1024 * 1024;

    enum class Result {
        kReply,     // code and text hold the next reply
        kNeedMore,  // Feed more bytes
        kInvalid,   // no reply can be made of the input; why says what is wrong
    };

    void Feed(const char* data, std::size_t size) { pending_.append(data, size); }
    // The next complete reply: its first three characters as the code and
    // the rest as the text, the lines of a multi-line reply joined by LF.
    Result Next(std::string& code, std::string& text, std::string& why);
    // The bytes of a line not yet complete.
    const std::string& Pending() const { return pending_; }
    void Clear();

private:
    bool TakeLine(std::string& line);

    std::string pending_;
    bool inMultiLine_ = false;
    std::string code_, text_;  // the multi-line reply being gathered
};
