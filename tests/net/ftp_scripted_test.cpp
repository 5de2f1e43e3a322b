// The client against a scripted server: exact replies, faults and hostile
// input, checking what the client reports and the whole transcript of the
// command lines it sent (the server writes a PORT line's run-time port as
// "<port>").
#include <gtest/gtest.h>

#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "net/ftp_client.h"
#include "scripted_ftp_server.h"
#include "temp_dir.h"

namespace {

using Lines = std::vector<std::string>;
using Server = testsupport::ScriptedFtpServer;

const std::string kPort = "PORT 127,0,0,1,<port>\r\n";

Lines Join(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// USER u, PASS p, then the given lines.
Lines LoggedIn(const Lines& rest) { return Join({"USER u\r\n", "PASS p\r\n"}, rest); }

// TYPE and PORT answered, then the transfer command expected.
Server& Transfer(Server& s, const char* command) {
    return s.Expect("TYPE")
        .Send("200 type set\r\n")
        .Expect("PORT")
        .Send("200 port ok\r\n")
        .Expect(command);
}

Server& RetrStarted(Server& s, const std::string& startReply) {
    return Transfer(s, "RETR").DataConnect().Send(startReply);
}

// A server with a script, a scratch directory and a client logged in to it.
struct Session {
    FtpClient& Connect() {
        EXPECT_TRUE(server.Start()) << server.Error();
        client = std::make_unique<FtpClient>("127.0.0.1", server.Port(), "u", "p");
        return *client;
    }
    // Hangs up and gives what the server received.
    Lines Transcript() {
        client.reset();
        return server.Transcript();
    }
    std::int64_t bytes = 0;
    testsupport::TempDir local;
    Server server;
    std::unique_ptr<FtpClient> client;
};

class ScriptedFtp : public ::testing::Test, protected Session {};

TEST_F(ScriptedFtp, RepliesWholeOrSplitMultiLineAndUnquoted257) {
    server.SendParts({"220-Welcome\r\n220-second line\r\nnot a code line\r\n22", "0 ready\r", "\n"})
        .Expect("USER")
        .SendParts({"331 p", "w\r\n"})
        .Expect("PASS")
        .Send("230 ok\r\n")
        .Expect("CWD")
        .Send("250 ok\r\n")
        .Expect("PWD")
        .SendParts({"257 \"/a", " b\"\r\n"})
        .Expect("PWD")
        .Send("257 /no/quotes here\r\n")
        .Expect("PWD")
        .Send("257 \"\r\n")
        .Expect("SYST")
        .Send("215-UNIX\r\n215 Type: L8\r\n")
        .Expect("QUIT")
        .Send("221 bye\r\n");
    FtpClient& c = Connect();
    EXPECT_TRUE(c.ChangeDir("/pub/win95"));
    EXPECT_EQ(c.CurrentDir(), "/a b");
    EXPECT_EQ(c.CurrentDir(), "");  // no made-up directory
    EXPECT_EQ(c.CurrentDir(), "");
    EXPECT_EQ(c.System(), "UNIX\nType: L8");
    EXPECT_TRUE(c.Quit());
    EXPECT_TRUE(c.IsClosed());
    EXPECT_EQ(Transcript(), LoggedIn({"CWD /pub/win95\r\n", "PWD\r\n", "PWD\r\n", "PWD\r\n",
                                      "SYST\r\n", "QUIT\r\n", "EOF"}));
}

// Both codes a server may start a transfer with; data queued when the
// server closes is read before the reply; ASCII turns CR LF into LF on disk
// (lone CRs stay, a CR LF split between blocks too) and LF into CR LF on
// the wire; an upload waits for a data connection opened after its 150.
TEST_F(ScriptedFtp, TransfersBothWaysInBinaryAndAscii) {
    const long size = 3 * 1024 * 1024 + 5;
    const std::string content = Server::PatternBytes(100000);
    local.Write("up.txt", "a\nb\r\nc\n");
    local.Write("up.bin", content);
    server.LoginSteps();
    RetrStarted(server, "125 already open\r\n").DataSend("payload").DataClose().Send("226 ok\r\n");
    RetrStarted(server, "150 here\r\n").DataSendBytes(size).DataClose().Send("226 done\r\n");
    RetrStarted(server, "150 ok\r\n")
        .DataSend("one\r\ntwo\rthree\r")
        .DataSend("\nfour\r\n\r")
        .DataClose()
        .Send("226 done\r\n");
    Transfer(server, "STOR").DataConnect().Send("150 ok\r\n").DataReceive().Send("226 ok\r\n");
    Transfer(server, "STOR")
        .SendParts({"150 send it\r\n", ""})
        .DataConnect()
        .DataReceive()
        .Send("226 stored\r\n");
    FtpClient& c = Connect();
    EXPECT_TRUE(c.Get("file.bin", local.File("file.bin"), bytes, true));
    EXPECT_EQ(bytes, 7);
    EXPECT_EQ(local.Read("file.bin"), "payload");
    bytes = 0;
    ASSERT_TRUE(c.Get("big", local.File("big"), bytes, true));
    EXPECT_EQ(bytes, size);
    EXPECT_TRUE(local.Read("big") == Server::PatternBytes(size));
    ASSERT_TRUE(c.Get("t.txt", local.File("t.txt"), bytes, false));
    EXPECT_EQ(local.Read("t.txt"), "one\ntwo\rthree\nfour\n\r");
    bytes = 0;
    EXPECT_TRUE(c.Put(local.File("up.txt"), "up.txt", bytes, false));
    EXPECT_EQ(bytes, 7);  // counted in the local file
    bytes = 0;
    EXPECT_TRUE(c.Put(local.File("up.bin"), "up.bin", bytes, true));
    EXPECT_EQ(bytes, 100000);
    EXPECT_TRUE(Transcript() ==
                LoggedIn({"TYPE I\r\n", kPort, "RETR file.bin\r\n", "TYPE I\r\n", kPort,
                          "RETR big\r\n", "TYPE A\r\n", kPort, "RETR t.txt\r\n", "TYPE A\r\n",
                          kPort, "STOR up.txt\r\n", "DATA a\r\nb\r\nc\r\n", "TYPE I\r\n", kPort,
                          "STOR up.bin\r\n", "DATA " + content, "EOF"}));
}

// Each failure gives its code, context and text after exactly the command
// lines before it; a hang-up keeps the partial download, and later calls
// fail at once instead of waiting.
TEST(ScriptedFtpFailures, AreRecordedWithCodeContextAndText) {
    struct Case {
        const char* name;
        std::function<void(Server&)> script;
        bool midTransfer;  // else the failure comes while logging in
        FtpFailure failure;
        Lines transcript;
    };
    const FtpFailure closed{kFtpClosedUnexpectedly, "reading reply from FTP server",
                            "File closed unexpectedly"};
    const FtpFailure invalid{kFtpInvalidReply, "Invalid reply", "Invalid server returncode"};
    const Case cases[] = {
        {"short reply", [](Server& s) { s.Send("22\r\n"); }, false, invalid, {"EOF"}},
        {"garbage code",
         [](Server& s) { s.Send(std::string("\x01\xff\x00 garbage\r\n", 13)); },
         false,
         {kFtpInvalidReply, "trying to connect",
          std::string("Invalid server returncode: \x01\xff\x00 garbage", 38)},
         {"EOF"}},
        // No code starts with 0 or with 6 to 9: never taken for a socket failure.
        {"code 000",
         [](Server& s) { s.Send("000 what is this\r\n"); },
         false,
         {kFtpInvalidReply, "trying to connect", "Invalid server returncode: 000 what is this"},
         {"EOF"}},
        {"code 999 to USER",
         [](Server& s) { s.Send("220 hi\r\n").Expect("USER").Send("999 odd\r\n"); },
         false,
         {kFtpInvalidReply, "login attempt", "Invalid server returncode: 999 odd"},
         {"USER u\r\n", "EOF"}},
        {"endless line",
         [](Server& s) { s.SendForever("x"); },
         false,
         {kFtpInvalidReply, "Invalid reply", "Invalid server returncode: reply line too long"},
         {}},
        {"refusing greeting",
         [](Server& s) { s.Send("421 too many users\r\n"); },
         false,
         {421, "trying to connect", "421 too many users"},
         {"EOF"}},
        {"hang-up before greeting", [](Server& s) { s.Close(); }, false, closed, {}},
        {"hang-up mid transfer",
         [](Server& s) {
             RetrStarted(s.LoginSteps(), "150 ok\r\n").DataSend("partial").DataClose().Close();
         },
         true, closed, LoggedIn({"TYPE I\r\n", kPort, "RETR f\r\n"})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Session t;
        c.script(t.server);
        EXPECT_THROW(
            {
                FtpClient& client = t.Connect();
                client.Get("f", t.local.File("f"), t.bytes, true);
            },
            CFtpObjError);
        FtpFailure f = FtpErrorRecord::Take();
        EXPECT_EQ(f.code, c.failure.code);
        EXPECT_EQ(f.context, c.failure.context);
        EXPECT_EQ(f.text, c.failure.text);
        if (c.midTransfer) {
            EXPECT_EQ(t.local.Read("f"), "partial");
            EXPECT_THROW(t.client->CurrentDir(), CWinsockErr);
            FtpErrorRecord::Take();
        }
        EXPECT_EQ(t.Transcript(), c.transcript);
    }
}

TEST_F(ScriptedFtp, AbortSendsUrgentInterruptThenAborAndQuit) {
    server.LoginSteps();
    RetrStarted(server, "150 ok\r\n").DataSendBytes(100000).WaitEof();
    FtpClient& c = Connect();
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (bytes > 0 && !c.IsClosed()) c.Abort();
    });
    timer.start(1);
    EXPECT_FALSE(c.Get("f", local.File("f"), bytes, true));
    EXPECT_GT(bytes, 0);
    EXPECT_EQ(static_cast<std::int64_t>(std::filesystem::file_size(local.File("f"))), bytes);
    EXPECT_EQ(Transcript(), LoggedIn({"TYPE I\r\n", kPort, "RETR f\r\n",
                                      "\xff\xf4"
                                      "ABOR\r\n",
                                      "QUIT\r\n", "EOF"}));
}

TEST_F(ScriptedFtp, SilentServerTimesOutWithTheSocketLayersError) {
    setenv("AMBIT_NET_TIMEOUT", "0.5", 1);
    server.LoginSteps().Expect("PWD").WaitEof();
    FtpClient& c = Connect();
    auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(c.CurrentDir(), CWinsockErr);
    auto waited = std::chrono::steady_clock::now() - start;
    unsetenv("AMBIT_NET_TIMEOUT");
    EXPECT_GE(waited, std::chrono::milliseconds(450));
    EXPECT_LT(waited, std::chrono::seconds(60));
    FtpFailure f = FtpErrorRecord::Take();
    EXPECT_EQ(f.code, 10060);
    EXPECT_EQ(f.text, "Timed out");
}

// Replies RFC 959 allows that are easy to refuse by mistake: 230 to USER (no
// password needed) and 250 at the end of a transfer. A 0xFF byte in a name
// goes out doubled, as Telnet asks; an argument that would inject a command
// or overflow the line never reaches the server.
TEST_F(ScriptedFtp, RepliesTheRfcAllowsTelnetEscapesAndRefusedArguments) {
    server.Send("220 hi\r\n").Expect("USER").Send("230 Anonymous user logged in\r\n");
    server.Expect("CWD").Send("250 ok\r\n").Expect("CWD").Send("250 ok\r\n");
    Transfer(server, "RETR").DataConnect().Send("150 ok\r\n").DataSend("abc").DataClose();
    server.Send("250 file sent\r\n");
    server.Expect("PORT").Send("200 ok\r\n").Expect("LIST").DataConnect().Send("150 ok\r\n");
    server.DataSend("-rw-r--r-- 1 o g 3 Dec  6 20:00 f\r\n").DataClose().Send("250 listed\r\n");
    FtpClient& c = Connect();
    const std::string longest(FtpClient::kMaxCommandLine - 6, 'b');
    EXPECT_THROW(c.ChangeDir("pub\r\nDELE important"), CFtpObjError);
    FtpFailure f = FtpErrorRecord::Take();
    EXPECT_EQ(f.code, kFtpInvalidArgument);
    EXPECT_EQ(f.context, "changing directory on FTP server");
    EXPECT_EQ(f.text, "Invalid arguments");
    EXPECT_THROW(c.Delete("name\nRMD x"), CFtpObjError);
    EXPECT_THROW(c.ChangeDir(longest + "b"), CFtpObjError);
    EXPECT_EQ(FtpErrorRecord::Take().code, kFtpInvalidArgument);
    EXPECT_TRUE(c.ChangeDir(longest));  // just short of the limit goes out whole
    EXPECT_TRUE(c.ChangeDir("caf\xff"));
    EXPECT_TRUE(c.Get("f", local.File("f"), bytes, true));
    EXPECT_EQ(local.Read("f"), "abc");
    std::string listing;
    EXPECT_TRUE(c.List(listing));
    EXPECT_EQ(Transcript(), (Lines{"USER u\r\n", "CWD " + longest + "\r\n", "CWD caf\xff\xff\r\n",
                                   "TYPE I\r\n", kPort, "RETR f\r\n", kPort, "LIST\r\n", "EOF"}));
}

// A data connection that never comes for STOR costs one time-out, not a
// second one on the control connection afterwards.
TEST_F(ScriptedFtp, AnUploadWhoseDataConnectionNeverComesWaitsOneTimeOut) {
    setenv("AMBIT_NET_TIMEOUT", "0.5", 1);
    local.Write("up.bin", "data");
    server.LoginSteps();
    Transfer(server, "STOR").Send("150 go ahead\r\n").WaitEof();
    FtpClient& c = Connect();
    auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(c.Put(local.File("up.bin"), "up.bin", bytes, true), CWinsockErr);
    auto waited = std::chrono::steady_clock::now() - start;
    unsetenv("AMBIT_NET_TIMEOUT");
    EXPECT_GE(waited, std::chrono::milliseconds(450));
    EXPECT_LT(waited, std::chrono::milliseconds(950));
    EXPECT_EQ(FtpErrorRecord::Take().code, 10060);
}

}  // namespace
