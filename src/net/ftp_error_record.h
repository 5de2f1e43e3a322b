// The one record of the last FTP failure, and the codes of the failures
// found on this side of the connection. A server's refusal keeps the
// server's reply code (400-599); a local file failure is kLocalErrnoBase
// plus its errno. Callers take the record after catching CWinsockErr: taking
// it clears it, so a later socket failure is not reported with a stale FTP
// code.
#pragma once

#include <cerrno>
#include <string>

enum FtpErrorCode : int {
    kFtpNoError = 0,           // the last failure was one of the socket layer
    kFtpListingTooLong = 995,  // a listing past FtpClient's bounds
    kFtpWrongNameCount = 996,
    kFtpWriteFailed = 997,
    kFtpClosedUnexpectedly = 998,
    kFtpInvalidReply = 999,
    kFtpLocalErrnoBase = 1000,
    kFtpFileNotFound = kFtpLocalErrnoBase + ENOENT,
    kFtpAccessDenied = kFtpLocalErrnoBase + EACCES,
    kFtpFileExists = kFtpLocalErrnoBase + EEXIST,
    kFtpInvalidArgument = kFtpLocalErrnoBase + EINVAL,
};

// What the last failure was, as shown to the user: for the socket layer its
// Windows Sockets code, operation and text; for FTP the code, what was being
// done and the text.
struct FtpFailure {
    int code = 0;
    std::string context;
    std::string text;
};

class FtpErrorRecord {
public:
    // Records an FTP failure. localErrno is the errno of a local file
    // failure, 0 for a server reply.
    static void Record(int code, const std::string& context, const std::string& replyText,
                       int localErrno = 0);
    // Forgets the FTP failure, so the socket layer's failure is what Take
    // reports.
    static void Clear();
    // The last failure; the FTP part of the record is cleared.
    static FtpFailure Take();
    // The code of the recorded FTP failure (kFtpNoError for none), left in
    // the record: a caller may decide to go on after a server's refusal.
    static int PeekCode();
    // The text shown for a failure with this code.
    static std::string Text(int code, const std::string& replyText, int localErrno);
};

// The context and the text of the last failure joined by separator (the
// record is cleared), as both programs show it.
std::string TakeErrorText(const char* separator);
