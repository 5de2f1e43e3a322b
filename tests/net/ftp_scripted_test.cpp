// The client against a scripted server: exact replies, faults and hostile
// input, checking both what the client reports and the exact command lines
// it sent.
#include <gtest/gtest.h>

#include <QTimer>
#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "net/ftp_client.h"
#include "scripted_ftp_server.h"
#include "temp_dir.h"

namespace {

using Lines = std::vector<std::string>;

struct ErrorInfo {
    int code = 0;
    std::string context, text;
};

ErrorInfo TakeErrorInfo() {
    ErrorInfo e;
    FtpClient::GetErrorInfo(e.code, e.context, e.text);
    return e;
}

const Lines kLogin{"USER u\r\n", "PASS p\r\n"};

Lines Join(Lines a, const Lines& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// TYPE and PORT answered, then the transfer command expected; the PORT line
// is checked separately because its port is chosen at run time.
testsupport::ScriptedFtpServer& Transfer(testsupport::ScriptedFtpServer& s, const char* command) {
    return s.Expect("TYPE")
        .Send("200 type set\r\n")
        .Expect("PORT")
        .Send("200 port ok\r\n")
        .Expect(command);
}

testsupport::ScriptedFtpServer& TransferStart(testsupport::ScriptedFtpServer& s,
                                              const std::string& startReply) {
    return Transfer(s, "RETR").DataConnect().Send(startReply);
}

bool IsLoopbackPortLine(const std::string& line) { return line == "PORT 127,0,0,1,<port>\r\n"; }

TEST(ScriptedFtp, MultiLineGreetingIsReadWholeAndEveryCommandEndsWithCrLf) {
    testsupport::ScriptedFtpServer server;
    server
        .Send("220-Welcome to the test site\r\n220-second line\r\nnot a code line\r\n220 ready\r\n")
        .Expect("USER")
        .Send("331 pw\r\n")
        .Expect("PASS")
        .Send("230 ok\r\n")
        .Expect("CWD")
        .Send("250 ok\r\n")
        .Expect("PWD")
        .Send("257 \"/pub/win95\" is the current directory\r\n")
        .Expect("SYST")
        .Send("215-UNIX\r\n215 Type: L8\r\n")
        .Expect("QUIT")
        .Send("221 bye\r\n");
    ASSERT_TRUE(server.Start()) << server.Error();
    {
        FtpClient client("127.0.0.1", server.Port(), "u", "p");
        EXPECT_TRUE(client.ChangeDir("/pub/win95"));
        EXPECT_EQ(client.CurrentDir(), "/pub/win95");
        EXPECT_EQ(client.System(), "UNIX\nType: L8");
        EXPECT_TRUE(client.Quit());
        EXPECT_TRUE(client.IsClosed());
    }
    EXPECT_EQ(server.Transcript(),
              Join(kLogin, {"CWD /pub/win95\r\n", "PWD\r\n", "SYST\r\n", "QUIT\r\n", "EOF"}));
}

// Split replies are joined; a 257 without a quoted name gives no directory
// rather than a made-up one.
TEST(ScriptedFtp, RepliesSplitAcrossPacketsAreJoinedAndUnquoted257GivesNothing) {
    testsupport::ScriptedFtpServer server;
    server.SendParts({"2", "20-hel", "lo\r\n22", "0 ready\r", "\n"})
        .Expect("USER")
        .SendParts({"331 p", "w\r\n"})
        .Expect("PASS")
        .Send("230 ok\r\n")
        .Expect("PWD")
        .SendParts({"257 \"/a", " b\"\r\n"})
        .Expect("PWD")
        .Send("257 /no/quotes here\r\n")
        .Expect("PWD")
        .Send("257 \"\r\n");
    ASSERT_TRUE(server.Start()) << server.Error();
    {
        FtpClient client("127.0.0.1", server.Port(), "u", "p");
        EXPECT_EQ(client.CurrentDir(), "/a b");
        EXPECT_EQ(client.CurrentDir(), "");
        EXPECT_EQ(client.CurrentDir(), "");
    }
    EXPECT_EQ(server.Transcript(), Join(kLogin, {"PWD\r\n", "PWD\r\n", "PWD\r\n", "EOF"}));
}

TEST(ScriptedFtp, UserAnsweredWith230FailsTheLogin) {
    testsupport::ScriptedFtpServer server;
    server.Send("220 hi\r\n").Expect("USER").Send("230 already in\r\n");
    ASSERT_TRUE(server.Start()) << server.Error();
    EXPECT_THROW(FtpClient("127.0.0.1", server.Port(), "u", "p"), CFtpObjError);
    ErrorInfo e = TakeErrorInfo();
    EXPECT_EQ(e.code, 230);
    EXPECT_EQ(e.context, "login attempt");
    EXPECT_EQ(e.text, "230 already in");
    EXPECT_EQ(server.Transcript(), (Lines{"USER u\r\n", "EOF"}));
}

TEST(ScriptedFtp, RetrStartedWith125IsASuccessAndPortNamesTheLoopback) {
    testsupport::TempDir local;
    testsupport::ScriptedFtpServer server;
    server.LoginSteps();
    TransferStart(server, "125 data connection already open\r\n")
        .DataSend("payload")
        .DataClose()
        .Send("226 done\r\n");
    ASSERT_TRUE(server.Start()) << server.Error();
    {
        FtpClient client("127.0.0.1", server.Port(), "u", "p");
        std::int64_t bytes = 0;
        EXPECT_TRUE(client.Get("file.bin", local.File("file.bin"), bytes, true));
        EXPECT_EQ(bytes, 7);
        EXPECT_EQ(local.Read("file.bin"), "payload");
    }
    Lines t = server.Transcript();
    ASSERT_EQ(t.size(), 6u);
    EXPECT_EQ(t[2], "TYPE I\r\n");
    EXPECT_TRUE(IsLoopbackPortLine(t[3])) << t[3];
    EXPECT_EQ(t[4], "RETR file.bin\r\n");
}

TEST(ScriptedFtp, DataQueuedWhenTheServerClosesIsReadBeforeTheReply) {
    testsupport::TempDir local;
    const long size = 3 * 1024 * 1024 + 5;
    testsupport::ScriptedFtpServer server;
    server.LoginSteps();
    // The completion reply is on its way before the client has read the data.
    TransferStart(server, "150 here it comes\r\n")
        .DataSendBytes(size)
        .DataClose()
        .Send("226 done\r\n");
    ASSERT_TRUE(server.Start()) << server.Error();
    FtpClient client("127.0.0.1", server.Port(), "u", "p");
    std::int64_t bytes = 0;
    ASSERT_TRUE(client.Get("big", local.File("big"), bytes, true));
    EXPECT_EQ(bytes, size);
    EXPECT_TRUE(local.Read("big") == testsupport::ScriptedFtpServer::PatternBytes(size));
}

// ASCII both ways on one connection: CR LF becomes LF on disk, lone CRs
// stay; LF goes out as CR LF.
TEST(ScriptedFtp, AsciiTransfersTranslateLineEndsBothWays) {
    testsupport::TempDir local;
    local.Write("up.txt", "a\nb\r\nc\n");
    testsupport::ScriptedFtpServer server;
    server.LoginSteps();
    TransferStart(server, "150 ok\r\n")
        .DataSend("one\r\ntwo\rthree\r")
        .DataSend("\nfour\r\n\r")
        .DataClose()
        .Send("226 done\r\n");
    Transfer(server, "STOR").DataConnect().Send("150 ok\r\n").DataReceive().Send("226 ok\r\n");
    ASSERT_TRUE(server.Start()) << server.Error();
    {
        FtpClient client("127.0.0.1", server.Port(), "u", "p");
        std::int64_t bytes = 0;
        ASSERT_TRUE(client.Get("t.txt", local.File("t.txt"), bytes, false));
        EXPECT_EQ(local.Read("t.txt"), "one\ntwo\rthree\nfour\n\r");
        bytes = 0;
        EXPECT_TRUE(client.Put(local.File("up.txt"), "up.txt", bytes, false));
        EXPECT_EQ(bytes, 7);  // counted in the local file
    }
    Lines t = server.Transcript();
    ASSERT_GE(t.size(), 9u);
    EXPECT_EQ(t[2], "TYPE A\r\n");
    EXPECT_EQ(t[5], "TYPE A\r\n");
    EXPECT_EQ(t[7], "STOR up.txt\r\n");
    EXPECT_EQ(t[8], "DATA a\r\nb\r\nc\r\n");
}

TEST(ScriptedFtp, PutWaitsForTheServerToOpenTheDataConnection) {
    testsupport::TempDir local;
    std::string content = testsupport::ScriptedFtpServer::PatternBytes(100000);
    local.Write("up.bin", content);
    testsupport::ScriptedFtpServer server;
    server.LoginSteps();
    Transfer(server, "STOR")
        // 150 first, the connection only afterwards: the client's first write
        // comes before there is anyone to write to.
        .SendParts({"150 send it\r\n", ""})
        .DataConnect()
        .DataReceive()
        .Send("226 stored\r\n");
    ASSERT_TRUE(server.Start()) << server.Error();
    {
        FtpClient client("127.0.0.1", server.Port(), "u", "p");
        std::int64_t bytes = 0;
        EXPECT_TRUE(client.Put(local.File("up.bin"), "up.bin", bytes, true));
        EXPECT_EQ(bytes, 100000);
    }
    Lines t = server.Transcript();
    ASSERT_GE(t.size(), 6u);
    EXPECT_EQ(t[4], "STOR up.bin\r\n");
    EXPECT_TRUE(t[5] == "DATA " + content);
}

TEST(ScriptedFtp, ServerHangingUpMidReplyEndsTheCallWithAnError) {
    testsupport::ScriptedFtpServer server;
    server.LoginSteps().Expect("PWD").Send("257 \"/half").Close();
    ASSERT_TRUE(server.Start()) << server.Error();
    FtpClient client("127.0.0.1", server.Port(), "u", "p");
    EXPECT_THROW(client.CurrentDir(), CFtpObjError);
    ErrorInfo e = TakeErrorInfo();
    EXPECT_EQ(e.code, 998);
    EXPECT_EQ(e.text, "File closed unexpectedly");
    // Further calls fail the same way at once instead of waiting.
    EXPECT_THROW(client.CurrentDir(), CWinsockErr);
}

TEST(ScriptedFtp, ServerHangingUpMidTransferKeepsThePartialFileAndReportsIt) {
    testsupport::TempDir local;
    testsupport::ScriptedFtpServer server;
    server.LoginSteps();
    TransferStart(server, "150 ok\r\n").DataSend("partial").DataClose().Close();
    ASSERT_TRUE(server.Start()) << server.Error();
    FtpClient client("127.0.0.1", server.Port(), "u", "p");
    std::int64_t bytes = 0;
    EXPECT_THROW(client.Get("f", local.File("f"), bytes, true), CFtpObjError);
    EXPECT_EQ(TakeErrorInfo().code, 998);
    EXPECT_EQ(local.Read("f"), "partial");
}

TEST(ScriptedFtp, HostileRepliesAreRefusedNotTrusted) {
    struct Case {
        const char* name;
        std::function<void(testsupport::ScriptedFtpServer&)> reply;
        int code;
        const char* context;
    };
    const Case cases[] = {
        {"short line", [](auto& s) { s.Send("22\r\n"); }, 999, "Invalid reply"},
        {"garbage code", [](auto& s) { s.Send(std::string("\x01\xff\x00 garbage\r\n", 13)); }, 999,
         "trying to connect"},
        {"endless line", [](auto& s) { s.SendForever("x"); }, 999, "Invalid reply"},
        {"wrong code", [](auto& s) { s.Send("421 too many users\r\n"); }, 421, "trying to connect"},
        {"hang-up before greeting", [](auto& s) { s.Close(); }, 998,
         "reading reply from FTP server"},
    };
    for (const Case& c : cases) {
        testsupport::ScriptedFtpServer server;
        c.reply(server);
        ASSERT_TRUE(server.Start()) << server.Error();
        EXPECT_THROW(FtpClient("127.0.0.1", server.Port(), "u", "p"), CFtpObjError) << c.name;
        ErrorInfo e = TakeErrorInfo();
        EXPECT_EQ(e.code, c.code) << c.name;
        EXPECT_EQ(e.context, c.context) << c.name;
    }
}

TEST(ScriptedFtp, ArgumentsThatWouldInjectCommandsOrOverflowTheLineAreRefused) {
    testsupport::ScriptedFtpServer server;
    server.LoginSteps().Expect("CWD").Send("250 ok\r\n");
    ASSERT_TRUE(server.Start()) << server.Error();
    {
        FtpClient client("127.0.0.1", server.Port(), "u", "p");
        EXPECT_THROW(client.ChangeDir("pub\r\nDELE important"), CFtpObjError);
        ErrorInfo e = TakeErrorInfo();
        EXPECT_EQ(e.code, 1022);
        EXPECT_EQ(e.context, "changing directory on FTP server");
        EXPECT_EQ(e.text, "Invalid arguments");
        EXPECT_THROW(client.Delete("name\nRMD x"), CFtpObjError);
        EXPECT_THROW(client.ChangeDir(std::string(600, 'a')), CFtpObjError);
        EXPECT_EQ(TakeErrorInfo().code, 1022);
        // A name just short of the limit goes out whole.
        EXPECT_TRUE(client.ChangeDir(std::string(FtpClient::kMaxCommandLine - 6, 'b')));
    }
    EXPECT_EQ(
        server.Transcript(),
        Join(kLogin, {"CWD " + std::string(FtpClient::kMaxCommandLine - 6, 'b') + "\r\n", "EOF"}));
}

TEST(ScriptedFtp, AbortSendsUrgentInterruptThenAborAndQuit) {
    testsupport::TempDir local;
    testsupport::ScriptedFtpServer server;
    server.LoginSteps();
    TransferStart(server, "150 ok\r\n").DataSendBytes(100000).WaitEof();
    ASSERT_TRUE(server.Start()) << server.Error();
    {
        FtpClient client("127.0.0.1", server.Port(), "u", "p");
        std::int64_t bytes = 0;
        QTimer timer;
        QObject::connect(&timer, &QTimer::timeout, [&] {
            if (bytes > 0 && !client.IsClosed()) client.Abort();
        });
        timer.start(1);
        EXPECT_FALSE(client.Get("f", local.File("f"), bytes, true));
        EXPECT_GT(bytes, 0);
        EXPECT_EQ(static_cast<std::int64_t>(std::filesystem::file_size(local.File("f"))), bytes);
    }
    Lines t = server.Transcript();
    ASSERT_EQ(t.size(), 8u);
    EXPECT_EQ(t[5],
              "\xff\xf4"
              "ABOR\r\n");
    EXPECT_EQ(t[6], "QUIT\r\n");
    EXPECT_EQ(t[7], "EOF");
}

TEST(ScriptedFtp, SilentServerTimesOutWithTheSocketLayersError) {
    setenv("AMBIT_NET_TIMEOUT", "0.5", 1);
    testsupport::ScriptedFtpServer server;
    server.LoginSteps().Expect("PWD").WaitEof();
    ASSERT_TRUE(server.Start()) << server.Error();
    FtpClient client("127.0.0.1", server.Port(), "u", "p");
    auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(client.CurrentDir(), CWinsockErr);
    auto waited = std::chrono::steady_clock::now() - start;
    unsetenv("AMBIT_NET_TIMEOUT");
    EXPECT_GE(waited, std::chrono::milliseconds(450));
    EXPECT_LT(waited, std::chrono::seconds(60));
    ErrorInfo e = TakeErrorInfo();
    EXPECT_EQ(e.code, 10060);
    EXPECT_EQ(e.text, "Timed out");
}

}  // namespace
