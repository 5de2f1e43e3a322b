#include "net/ftp_reply_reader.h"

#include <algorithm>

bool FtpReplyReader::TakeLine(std::string& line) {
    std::size_t end = pending_.find('\n');
    if (end == std::string::npos) return false;
    line.assign(pending_, 0, end);
    pending_.erase(0, end + 1);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

void FtpReplyReader::Clear() {
    pending_.clear();
    inMultiLine_ = false;
    code_.clear();
    text_.clear();
}

FtpReplyReader::Result FtpReplyReader::Next(std::string& code, std::string& text,
                                            std::string& why) {
    std::string line;
    for (;;) {
        if (!TakeLine(line)) {
            if (pending_.size() <= kMaxLine) return Result::kNeedMore;
            Clear();
            why = "reply line too long";
            return Result::kInvalid;
        }
        if (!inMultiLine_) {
            if (line.size() < 4) {
                why.clear();
                return Result::kInvalid;
            }
            code_ = line.substr(0, 3);
            text_ = line.substr(4);
            if (line[3] != '-') break;
            inMultiLine_ = true;
            continue;
        }
        const bool final = line.compare(0, 3, code_) == 0 && line.size() > 3 && line[3] == ' ';
        text_ += '\n';
        text_ += line.compare(0, 3, code_) == 0 ? line.substr(std::min<std::size_t>(4, line.size()))
                                                : line;
        if (final) break;
        if (text_.size() > kMaxReply) {
            Clear();
            why = "reply too long";
            return Result::kInvalid;
        }
    }
    inMultiLine_ = false;
    code = std::move(code_);
    text = std::move(text_);
    code_.clear();
    text_.clear();
    return Result::kReply;
}
