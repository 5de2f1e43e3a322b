// Command lines end with CR LF, as RFC 959 requires: a server that follows
// the RFC strictly would never see a command ending in a bare line feed. The
// start of a transfer is accepted as 125 or 150, the two codes the RFC
// allows before a data transfer.
#include "net/ftp_client.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>

#include "net/ascii_line_ends.h"
#include "net/ftp_data_socket.h"
#include "net/ftp_reply_reader.h"
#include "platform/file_io.h"

namespace {

// A reply code is three digits, the first 1 to 5 (RFC 959, 4.2); anything
// else ("000", "999", letters) is a protocol error, not a reply to act on.
bool IsReplyCode(const std::string& code) {
    return code.size() == 3 && code[0] >= '1' && code[0] <= '5' && code[1] >= '0' &&
           code[1] <= '9' && code[2] >= '0' && code[2] <= '9';
}

bool IsRegularFile(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

// A local file of a download: removed again if it was created for a
// transfer that never started, kept (partial) once data has been written.
struct DownloadFile {
    int fd = -1;
    std::string path;
    bool created = false;
    bool started = false;
    ~DownloadFile() {
        if (fd >= 0) ::close(fd);
        if (created && !started) ::unlink(path.c_str());
    }
    int Close() {
        int rc = ::close(fd);
        fd = -1;
        return rc == 0 ? 0 : errno;
    }
};

struct FileCloser {
    int fd;
    ~FileCloser() {
        if (fd >= 0) ::close(fd);
    }
};

enum class Received { kEnd, kAborted, kSinkFailed };

// Reads the data connection until the server closes it (everything queued
// is read first), an Abort clears it, or the sink refuses a block.
Received ReceiveData(FtpClient& client, FtpDataSocket& data,
                     const std::function<bool(const char*, int)>& sink) {
    std::vector<char> buffer(FtpClient::kBlockSize + 1);
    while (client.CurrentDataSocket() == &data) {
        int n = data.Read(buffer.data(), static_cast<int>(buffer.size()));
        if (client.CurrentDataSocket() != &data || data.IsClosed()) return Received::kAborted;
        if (n == 0) return Received::kEnd;
        if (!sink(buffer.data(), n)) return Received::kSinkFailed;
    }
    return Received::kAborted;
}

}  // namespace

FtpClient::FtpClient(const std::string& host, const std::string& user, const std::string& password)
    : FtpClient(host, FtpPort(), user, password) {}

FtpClient::FtpClient(const std::string& host, int port, const std::string& user,
                     const std::string& password)
    : ClientSocket(InetAddress(host, static_cast<std::uint16_t>(port)), kRead | kWrite) {
    data_ = nullptr;
    Login(user, password);
}

FtpClient::~FtpClient() {
    if (data_) data_->Close();
}

int FtpClient::FtpPort() {
    const char* text = std::getenv("AMBIT_FTP_PORT");
    if (text && *text) {
        char* end = nullptr;
        long port = std::strtol(text, &end, 10);
        if (end && *end == '\0' && port > 0 && port < 65536) return static_cast<int>(port);
    }
    return 21;
}

void FtpClient::FailFtp(int code, const std::string& context, const std::string& replyText,
                        int localErrno) {
    FtpErrorRecord::Record(code, context, replyText, localErrno);
    throw CFtpObjError();
}

void FtpClient::GetErrorInfo(int& code, std::string& context, std::string& text) {
    FtpFailure failure = FtpErrorRecord::Take();
    code = failure.code;
    context = std::move(failure.context);
    text = std::move(failure.text);
}

std::string FtpClient::GetReply(std::string& code) {
    code.clear();
    std::string replyCode, text, why;
    for (;;) {
        if (IsClosed()) return "transfer aborted";
        switch (reader_.Next(replyCode, text, why)) {
            case FtpReplyReader::Result::kReply:
                code = replyCode;
                return text;
            case FtpReplyReader::Result::kInvalid:
                FailFtp(kFtpInvalidReply, "Invalid reply", why);
            case FtpReplyReader::Result::kNeedMore:
                break;
        }
        char buffer[4097];
        int n = Read(buffer, sizeof buffer);
        if (IsClosed()) return "transfer aborted";
        if (n == 0) {
            std::string partial = reader_.Pending();
            reader_.Clear();
            FailFtp(kFtpClosedUnexpectedly, "reading reply from FTP server", partial);
        }
        reader_.Feed(buffer, static_cast<std::size_t>(n));
    }
}

void FtpClient::SendCommand(const std::string& verb, const std::string& argument,
                            const std::string& context, bool hasArgument) {
    if (argument.find_first_of(std::string("\r\n\0", 3)) != std::string::npos)
        FailFtp(kFtpInvalidArgument, context, "a name holds a line break", EINVAL);
    std::string line = verb;
    if (hasArgument) {
        line += ' ';
        // The control connection speaks Telnet: a 0xFF byte in a name is sent
        // twice, or the server would take it for a Telnet command (IAC).
        for (char c : argument) {
            line += c;
            if (static_cast<unsigned char>(c) == 0xFF) line += c;
        }
    }
    line += "\r\n";
    if (line.size() > kMaxCommandLine)
        FailFtp(kFtpInvalidArgument, context, "command line too long", EINVAL);
    WriteString(line);
}

bool FtpClient::Expect(std::initializer_list<const char*> codes, const std::string& context,
                       std::string* replyText, std::string* replyCode) {
    std::string code;
    std::string text = GetReply(code);
    if (replyText) *replyText = text;
    if (replyCode) *replyCode = code;
    for (const char* expected : codes)
        if (code == expected) return true;
    if (code.empty() && text == "transfer aborted") return false;
    if (!IsReplyCode(code)) FailFtp(kFtpInvalidReply, context, code + " " + text);
    FailFtp(std::atoi(code.c_str()), context, text);
}

bool FtpClient::Command(const std::string& verb, const std::string& argument,
                        std::initializer_list<const char*> codes, const std::string& context,
                        std::string* replyText) {
    if (IsClosed()) return false;
    SendCommand(verb, argument, context);
    return Expect(codes, context, replyText);
}

bool FtpClient::Command(const std::string& verb, std::initializer_list<const char*> codes,
                        const std::string& context, std::string* replyText) {
    if (IsClosed()) return false;
    SendCommand(verb, "", context, false);
    return Expect(codes, context, replyText);
}

bool FtpClient::Login(const std::string& user, const std::string& password) {
    if (!Expect({"220"}, "trying to connect")) return false;
    if (IsClosed()) return false;
    SendCommand("USER", user, "login attempt");
    std::string code;
    if (!Expect({"331", "230"}, "login attempt", nullptr, &code)) return false;
    // A server that needs no password logs the user in at once (RFC 959
    // allows 230 to USER); sending PASS then would be refused.
    if (code == "230") return true;
    return Command("PASS", password, {"230"}, "login attempt");
}

std::string FtpClient::System() {
    std::string text;
    Command("SYST", {"215"}, "getting system info from FTP server", &text);
    return text;
}

std::string FtpClient::Status() {
    std::string text;
    Command("STAT", {"211"}, "getting status from FTP server", &text);
    return text;
}

bool FtpClient::ChangeDir(const std::string& path) {
    return Command("CWD", path, {"250"}, "changing directory on FTP server");
}

std::string FtpClient::CurrentDir() {
    std::string text;
    if (!Command("PWD", {"257"}, "printing working directory on FTP server", &text)) return "";
    std::size_t first = text.find('"');
    std::size_t last = text.rfind('"');
    if (first == std::string::npos || last == first) return "";
    return text.substr(first + 1, last - first - 1);
}

bool FtpClient::MakeDir(const std::string& path) {
    return Command("MKD", path, {"257"}, "making directory on FTP server");
}

bool FtpClient::RemoveDir(const std::string& path) {
    return Command("RMD", path, {"250"}, "removing directory on FTP server");
}

bool FtpClient::Rename(const std::string& from, const std::string& to) {
    if (!Command("RNFR", from, {"350"}, "preparing to move file on FTP server")) return false;
    return Command("RNTO", to, {"250"}, "moving file on FTP server");
}

bool FtpClient::Delete(const std::string& name) {
    return Command("DELE", name, {"250"}, "deleting file on FTP server");
}

bool FtpClient::Port(FtpDataSocket& data) {
    std::string address = data.LocalAddress();
    int port = data.LocalPort();
    for (char& c : address)
        if (c == '.') c = ',';
    char text[64];
    std::snprintf(text, sizeof text, "%s,%d,%d", address.c_str(), (port >> 8) & 255, port & 255);
    return Command("PORT", text, {"200"}, "opening port");
}

bool FtpClient::Transfer(const char* verb, const std::function<void(std::string_view)>& receive,
                         const std::string& path, const char* openContext, const char* endContext) {
    if (IsClosed()) return false;
    auto data = std::make_unique<FtpDataSocket>(*this);
    if (!Port(*data)) return false;
    if (IsClosed()) return false;
    SendCommand(verb, path, openContext, !path.empty());
    if (!Expect({"125", "150"}, openContext)) return false;
    // A listing is bounded however the caller keeps it: a server sending
    // without end fails the transfer instead of eating memory.
    std::size_t bytes = 0, lines = 0;
    Received r = ReceiveData(*this, *data, [&receive, &bytes, &lines](const char* p, int n) {
        const std::size_t size = static_cast<std::size_t>(n);
        bytes += size;
        lines += static_cast<std::size_t>(std::count(p, p + size, '\n'));
        if (bytes > kMaxListingBytes || lines > kMaxListingLines) return false;
        receive(std::string_view(p, size));
        return true;
    });
    if (r == Received::kSinkFailed) {
        // Too long to be a listing: the data connection closes, the server's
        // reply to that keeps the control connection in step for the next
        // command, and the site stays usable.
        data.reset();
        try {
            std::string code;
            GetReply(code);
        } catch (const CWinsockErr&) {
            FtpErrorRecord::Clear();
        }
        FailFtp(kFtpListingTooLong, endContext, "");
    }
    if (r != Received::kEnd) return false;
    // Our end closes before the reply is awaited: a server may hold its
    // completion reply until the client has closed the data connection.
    data.reset();
    return Expect({"226", "250"}, endContext);
}

bool FtpClient::List(std::string& text, const std::string& path) {
    text.clear();
    return Transfer(
        "LIST", [&text](std::string_view block) { text.append(block); }, path,
        "opening data connection for list", "transfering list");
}

bool FtpClient::List(const std::function<void(std::string_view)>& receive,
                     const std::string& path) {
    return Transfer("LIST", receive, path, "opening data connection for list", "transfering list");
}

bool FtpClient::NameList(std::string& text, const std::string& path) {
    text.clear();
    return Transfer(
        "NLST", [&text](std::string_view block) { text.append(block); }, path,
        "opening data connection for name list", "transfering name list");
}

bool FtpClient::Get(const std::string& remote, const std::string& local, std::int64_t& bytes,
                    bool binary) {
    if (IsClosed()) return false;
    auto data = std::make_unique<FtpDataSocket>(*this);
    // The file is opened (and created) now, so that a local problem is
    // reported before anything is asked of the server, but an existing file
    // is only emptied once the server has started sending: a refused RETR
    // leaves it as it was.
    DownloadFile file;
    file.path = local;
    // Only a regular file is ever written: a link planted at the path is not
    // followed, and a FIFO or device neither blocks the open nor is written.
    const int flags = O_WRONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK;
    file.fd = ::open(local.c_str(), flags | O_CREAT | O_EXCL, 0644);
    if (file.fd >= 0)
        file.created = true;
    else if (errno == EEXIST)
        file.fd = ::open(local.c_str(), flags);
    if (file.fd < 0)
        FailFtp(kFtpLocalErrnoBase + errno, "opening local file for download", "", errno);
    if (!IsRegularFile(file.fd))
        FailFtp(kFtpAccessDenied, "opening local file for download", "", EACCES);

    if (!Command(binary ? "TYPE I" : "TYPE A", {"200"}, "setting type for download")) return false;
    if (!Port(*data)) return false;
    if (!Command("RETR", remote, {"125", "150"}, "retrieving file")) return false;
    file.started = true;
    int writeError = ::ftruncate(file.fd, 0) == 0 ? 0 : errno;

    AsciiDecoder decoder;
    std::string converted;
    Received r = Received::kSinkFailed;
    if (writeError == 0) {
        r = ReceiveData(*this, *data, [&](const char* p, int n) {
            if (binary) {
                writeError = platform::WriteAll(file.fd, p, static_cast<std::size_t>(n));
            } else {
                decoder.Decode(p, static_cast<std::size_t>(n), converted);
                writeError = platform::WriteAll(file.fd, converted.data(), converted.size());
            }
            if (writeError) return false;
            bytes += n;
            return true;
        });
    }
    if (r == Received::kAborted) return false;
    if (r == Received::kEnd && !binary) {
        std::string tail = decoder.Finish();
        writeError = platform::WriteAll(file.fd, tail.data(), tail.size());
    }
    if (writeError == 0) writeError = file.Close();
    if (writeError != 0) {
        // The server learns of the failure when its data connection closes;
        // its reply is read so the control connection stays in step.
        data.reset();
        std::string code;
        GetReply(code);
        FailFtp(kFtpWriteFailed, "downloading file", "", writeError);
    }
    data.reset();  // as in Transfer: the reply may wait for our close
    return Expect({"226", "250"}, "downloading file");
}

bool FtpClient::Put(const std::string& local, const std::string& remote, std::int64_t& bytes,
                    bool binary) {
    if (IsClosed()) return false;
    auto data = std::make_unique<FtpDataSocket>(*this);
    // Without blocking: a FIFO would wait for a writer that never comes.
    FileCloser file{::open(local.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
    if (file.fd < 0)
        FailFtp(kFtpLocalErrnoBase + errno, "opening local file for upload", "", errno);
    if (!IsRegularFile(file.fd))
        FailFtp(kFtpAccessDenied, "opening local file for upload", "", EACCES);

    if (!Command(binary ? "TYPE I" : "TYPE A", {"200"}, "setting type for upload")) return false;
    if (!Port(*data)) return false;
    if (!Command("STOR", remote, {"125", "150"}, "opening data connection for upload"))
        return false;

    std::vector<char> buffer(kBlockSize);
    std::string converted;
    AsciiEncoder encoder;
    int readError = 0;
    while (data_ == data.get()) {
        ssize_t n = ::read(file.fd, buffer.data(), buffer.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            readError = errno;
            break;
        }
        if (n == 0) break;
        const char* out = buffer.data();
        std::size_t length = static_cast<std::size_t>(n);
        if (!binary) {
            encoder.Encode(out, length, converted);
            out = converted.data();
            length = converted.size();
        }
        try {
            data->Write(out, length);
        } catch (const CWinsockErr&) {
            // The server closed the data connection: its reply says why
            // better than the broken connection does.
            std::string operation = LastOperation();
            int error = LastError();
            data.reset();
            std::string code, text;
            // A data connection that never came has used up the wait: the
            // user is not made to wait a second time-out for a reply.
            if (error != BoundedWait::kTimedOut) {
                try {
                    text = GetReply(code);
                } catch (const CWinsockErr&) {
                    code.clear();
                }
            }
            if (IsReplyCode(code) && code[0] != '2')
                FailFtp(std::atoi(code.c_str()), "uploading file", text);
            FtpErrorRecord::Clear();
            Fail(operation, error);
        }
        if (data_ != data.get() || data->IsClosed()) return false;
        bytes += n;
    }
    if (data_ != data.get()) return false;
    ::close(file.fd);
    file.fd = -1;
    data.reset();  // the end of the data is the server's cue to reply
    if (readError != 0) {
        std::string code;
        GetReply(code);
        FailFtp(kFtpLocalErrnoBase + readError, "uploading file", "", readError);
    }
    return Expect({"226", "250"}, "uploading file");
}

bool FtpClient::GetMany(const std::vector<std::string>& remote,
                        const std::vector<std::string>& local, std::int64_t& bytes, bool binary) {
    if (remote.empty() || remote.size() != local.size())
        FailFtp(kFtpWrongNameCount, "multiple get", "");
    bool ok = true;
    for (std::size_t i = 0; i < remote.size() && !IsClosed(); ++i)
        ok = Get(remote[i], local[i], bytes, binary) && ok;
    return ok && !IsClosed();
}

bool FtpClient::PutMany(const std::vector<std::string>& local,
                        const std::vector<std::string>& remote, std::int64_t& bytes, bool binary) {
    if (local.empty() || remote.size() != local.size())
        FailFtp(kFtpWrongNameCount, "multiple put", "");
    bool ok = true;
    for (std::size_t i = 0; i < local.size() && !IsClosed(); ++i)
        ok = Put(local[i], remote[i], bytes, binary) && ok;
    return ok && !IsClosed();
}

bool FtpClient::Quit() {
    if (IsClosed()) return false;
    bool ok = Command("QUIT", {"221"}, "closing connection");
    Close();
    return ok;
}

int FtpClient::Abort() {
    try {
        if (FtpDataSocket* data = data_) {
            if (!data->IsPeerClosed() && !IsClosed()) WriteUrgent("\xff\xf4", 2);
            if (data->IsPeerClosed()) return 0;
            data_ = nullptr;
            data->Close();  // ends a wait on the data connection at once
            if (!IsClosed()) {
                WriteString("ABOR\r\n");
                WriteString("QUIT\r\n");
            }
        }
    } catch (const CWinsockErr&) {
        // The connection is ended below whatever the server made of it.
    }
    ClientSocket::Abort();
    return 1;
}
