// The record is process-wide, like the socket layer's: a failure is raised
// as an empty exception and read back where it is caught.
#include "net/ftp_error_record.h"

#include "net/winsock_user.h"

namespace {

struct State {
    int code = kFtpNoError;
    std::string context;
    std::string replyText;
    int localErrno = 0;
};

State& Last() {
    static State state;
    return state;
}

}  // namespace

void FtpErrorRecord::Record(int code, const std::string& context, const std::string& replyText,
                            int localErrno) {
    Last() = State{code, context, replyText, localErrno};
}

void FtpErrorRecord::Clear() {
    Last().code = kFtpNoError;
    Last().localErrno = 0;
}

FtpFailure FtpErrorRecord::Take() {
    const State& s = Last();
    if (s.code == kFtpNoError)
        return {WinsockUser::LastError(), WinsockUser::LastOperation(), WinsockUser::ErrorText()};
    FtpFailure failure{s.code, s.context, Text(s.code, s.replyText, s.localErrno)};
    Clear();
    return failure;
}

int FtpErrorRecord::PeekCode() { return Last().code; }

std::string FtpErrorRecord::Text(int code, const std::string& replyText, int localErrno) {
    switch (code) {
        case kFtpListingTooLong:
            return "The listing is too long to be shown (more than 64 MB or a million lines)";
        case kFtpWrongNameCount:
            return "Incorrect number of filenames";
        case kFtpWriteFailed:
            return "Couldn't write to file";
        case kFtpClosedUnexpectedly:
            return "File closed unexpectedly";
        case kFtpInvalidReply:
            // What the server said helps more than the bare verdict.
            return replyText.empty() ? "Invalid server returncode"
                                     : "Invalid server returncode: " + replyText;
        case kFtpFileNotFound:
            return "File or path not found";
        case kFtpAccessDenied:
            return "Access violation / path is not a filename";
        case kFtpFileExists:
            return "Filename already exists";
        case kFtpInvalidArgument:
            return "Invalid arguments";
        default:
            break;
    }
    // Only a local failure has an errno; a server's refusal is shown with
    // its own words.
    if (localErrno != 0) return "Unknown error: Errno=" + std::to_string(localErrno);
    return std::to_string(code) + " " + replyText;
}

std::string TakeErrorText(const char* separator) {
    FtpFailure failure = FtpErrorRecord::Take();
    return failure.context + separator + failure.text;
}
