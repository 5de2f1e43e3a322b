// The client side of FTP (RFC 959) with active-mode transfers: for every
// listing, download or upload it listens on a port, announces it with PORT
// and lets the server connect. One object is one control connection; it
// connects and logs in when constructed. Every call waits with rounds of the
// event loop, so a GUI stays responsive, reads a caller-owned byte counter
// from a timer and can end a transfer with Abort from a button.
//
// Failures throw CWinsockErr (the socket layer) or CFtpObjError (an FTP
// reply or a local file); FtpErrorRecord::Take then tells what failed. An Abort is
// not a failure: the call that was waiting returns false.
//
// The port is 21 unless AMBIT_FTP_PORT says otherwise, or a port is given.
// Time-outs: see BoundedWait (AMBIT_NET_TIMEOUT).
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "net/client_socket.h"
#include "net/ftp_error_record.h"
#include "net/ftp_reply_reader.h"

class FtpDataSocket;

// An FTP failure: a reply other than the one expected, a malformed reply, a
// local file that cannot be opened or written. Empty, like CWinsockErr.
class CFtpObjError : public CWinsockErr {};

class FtpClient : public ClientSocket {
public:
    // Transfers move blocks of this many bytes.
    static constexpr int kBlockSize = 256 * 1024;
    // Longest command line sent, CR LF included; longer ones are refused.
    static constexpr std::size_t kMaxCommandLine = 512;
    // A listing larger than either bound is refused (kFtpListingTooLong)
    // rather than read into memory without end.
    static constexpr std::size_t kMaxListingBytes = 64 * 1024 * 1024;
    static constexpr std::size_t kMaxListingLines = 1000 * 1000;

    // Connects to host on FtpPort() and logs in.
    FtpClient(const std::string& host, const std::string& user, const std::string& password);
    FtpClient(const std::string& host, int port, const std::string& user,
              const std::string& password);
    ~FtpClient() override;

    // Reads the greeting, then USER and PASS.
    bool Login(const std::string& user, const std::string& password);
    std::string System();
    std::string Status();
    bool ChangeDir(const std::string& path);
    // The directory from a 257 reply: the text between the first and the last
    // double quote; a reply without a quoted part gives "".
    std::string CurrentDir();
    bool MakeDir(const std::string& path);
    bool RemoveDir(const std::string& path);
    bool Rename(const std::string& from, const std::string& to);
    bool Delete(const std::string& name);
    // The listing (LIST) or the names (NLST) of path, or of the current
    // directory when path is empty, as the server sent it.
    bool List(std::string& text, const std::string& path = "");
    bool NameList(std::string& text, const std::string& path = "");
    // The listing handed to `receive` block by block as it arrives, so that
    // a long one can be parsed while the rest is still on its way.
    bool List(const std::function<void(std::string_view)>& receive, const std::string& path = "");
    // Downloads remote to local (created or replaced once the server has
    // started sending), adding every block to bytes. ASCII turns CR LF into LF.
    bool Get(const std::string& remote, const std::string& local, std::int64_t& bytes, bool binary);
    // Uploads local to remote. ASCII turns a bare LF into CR LF.
    bool Put(const std::string& local, const std::string& remote, std::int64_t& bytes, bool binary);
    bool GetMany(const std::vector<std::string>& remote, const std::vector<std::string>& local,
                 std::int64_t& bytes, bool binary);
    bool PutMany(const std::vector<std::string>& local, const std::vector<std::string>& remote,
                 std::int64_t& bytes, bool binary);
    // QUIT, then the connection is closed.
    bool Quit();
    // Ends the transfer in progress (urgent IAC IP, ABOR, QUIT) or the
    // connection. 1 when the connection was ended, 0 when the transfer had
    // completed anyway. Never throws; callable from any handler.
    int Abort();

    // Reads one reply (several lines if it is a multi-line reply); code gets
    // the three-digit code. "transfer aborted" with an empty code when the
    // connection was closed here.
    std::string GetReply(std::string& code);
    // Announces the data socket's address and port with PORT.
    bool Port(FtpDataSocket& data);

    FtpDataSocket* CurrentDataSocket() const { return data_; }
    void SetCurrentDataSocket(FtpDataSocket* data) { data_ = data; }

    // FtpErrorRecord::Take, field by field.
    static void GetErrorInfo(int& code, std::string& context, std::string& text);
    // AMBIT_FTP_PORT if it is a valid port, else 21.
    static int FtpPort();

    // Records an FTP failure and throws CFtpObjError. localErrno is the errno
    // of a local file failure, 0 for a server reply.
    [[noreturn]] static void FailFtp(int code, const std::string& context,
                                     const std::string& replyText, int localErrno = 0);

private:
    // Formats "verb argument" and sends it with CR LF. An argument holding a
    // CR or LF, or a line over kMaxCommandLine, is refused
    // (kFtpInvalidArgument).
    void SendCommand(const std::string& verb, const std::string& argument,
                     const std::string& context, bool hasArgument = true);
    // Reads a reply and checks its code. false after an abort.
    bool Expect(std::initializer_list<const char*> codes, const std::string& context,
                std::string* replyText = nullptr, std::string* replyCode = nullptr);
    bool Command(const std::string& verb, const std::string& argument,
                 std::initializer_list<const char*> codes, const std::string& context,
                 std::string* replyText = nullptr);
    bool Command(const std::string& verb, std::initializer_list<const char*> codes,
                 const std::string& context, std::string* replyText = nullptr);
    bool Transfer(const char* verb, const std::function<void(std::string_view)>& receive,
                  const std::string& path, const char* openContext, const char* endContext);

    FtpDataSocket* data_ = nullptr;
    FtpReplyReader reader_;  // control input after the last reply read
};
