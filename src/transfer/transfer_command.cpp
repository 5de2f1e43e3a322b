#include "transfer/transfer_command.h"

namespace transfer {

std::string TakeField(std::string& rest) {
    size_t at = rest.find("$$");
    if (at == std::string::npos) return "";
    std::string field = rest.substr(0, at);
    rest.erase(0, at + 2);
    return field;
}

std::string DisplayNameOf(const std::string& remotePath) {
    size_t slash = remotePath.rfind('/');
    return slash == std::string::npos ? remotePath : remotePath.substr(slash + 1);
}

std::string TrimBlanks(const std::string& text) {
    const char* blanks = " \t\r\n\v\f";
    size_t b = text.find_first_not_of(blanks);
    if (b == std::string::npos) return "";
    size_t e = text.find_last_not_of(blanks);
    return text.substr(b, e - b + 1);
}

TransferCommand ParseTransferCommand(const std::string& argument) {
    TransferCommand c;
    std::string rest = argument;
    c.firstField = TakeField(rest);
    c.host = TrimBlanks(c.firstField);

    if (c.firstField == "FINFO" || c.firstField == "RINFO") {
        c.orderMode = true;
        c.isResume = c.firstField == "RINFO";
        c.isDownload = true;
        // The purchase flow takes everything after field 1 and drops the
        // closing "$$" by position, whatever those two characters are.
        std::string path = rest.size() >= 2 ? rest.substr(0, rest.size() - 2) : "";
        c.orderFilePath = TrimBlanks(path);
        std::string peek = rest;
        c.remotePath = TakeField(peek);
        return c;
    }

    c.remotePath = TakeField(rest);
    c.user = TrimBlanks(TakeField(rest));
    c.scrambledPassword = TrimBlanks(TakeField(rest));
    c.localPath = TakeField(rest);
    c.modeText = TakeField(rest);
    c.askFlag = TakeField(rest);
    c.displayName = DisplayNameOf(c.remotePath);

    struct Mode {
        const char* digit;
        bool download, binary;
    };
    static const Mode kModes[] = {
        {"0", true, false}, {"1", true, true}, {"2", false, false}, {"3", false, true}};
    for (const auto& m : kModes) {
        if (c.modeText == m.digit) {
            c.isDownload = m.download;
            c.isBinary = m.binary;
            c.modeKnown = true;
        }
    }
    return c;
}

}  // namespace transfer
