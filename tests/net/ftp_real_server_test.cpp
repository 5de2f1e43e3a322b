// The client against a real FTP server (pyftpdlib) on the loopback: login,
// directories, listings, transfers checked byte for byte, and failures that
// must leave the connection usable. vsftpd and pure-ftpd are in
// tests/ftpsites/real_daemons_test.cpp.
#include <gtest/gtest.h>

#include <QTimer>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <random>

#include "file_size_limit.h"
#include "ftp_server.h"
#include "net/ftp_client.h"
#include "temp_dir.h"

namespace {

std::string RandomBytes(size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (auto& c : s) c = static_cast<char>(rng() & 255);
    return s;
}

// "code context--text" of the last failure.
std::string ErrorInfo() {
    FtpFailure f = FtpErrorRecord::Take();
    return std::to_string(f.code) + " " + f.context + "--" + f.text;
}

class RealServer : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(root.Path() + "/pub/sub");
        server = std::make_unique<testsupport::FtpServer>(root.Path());
        ASSERT_TRUE(server->Started()) << server->Error();
        client = std::make_unique<FtpClient>(server->Host(), server->Port(), server->User(),
                                             server->Password());
    }
    // Runs steps; a failure shows what the client recorded.
    void Session(const std::function<void(FtpClient&)>& steps) {
        try {
            steps(*client);
        } catch (const CWinsockErr&) {
            FAIL() << ErrorInfo();
        }
    }

    testsupport::TempDir root;
    testsupport::TempDir local;
    std::unique_ptr<testsupport::FtpServer> server;
    std::unique_ptr<FtpClient> client;
    std::int64_t bytes = 0;
};

TEST_F(RealServer, MovesBetweenDirectoriesAndListsThem) {
    root.Write("pub/readme.txt", "hello\n");
    root.Write("pub/b.zip", std::string(1234, 'z'));
    Session([&](FtpClient& c) {
        EXPECT_EQ(c.CurrentDir(), "/");
        std::string text;
        ASSERT_TRUE(c.List(text, "/pub"));
        EXPECT_NE(text.find(" 1234 "), std::string::npos);
        EXPECT_NE(text.find("sub"), std::string::npos);
        ASSERT_TRUE(c.ChangeDir("pub"));
        ASSERT_TRUE(c.NameList(text));
        EXPECT_NE(text.find("b.zip"), std::string::npos);
        // The same connection serves listing after listing.
        for (int i = 0; i < 5; ++i) ASSERT_TRUE(c.List(text));
        EXPECT_NE(text.find("readme.txt"), std::string::npos);
        EXPECT_TRUE(c.ChangeDir("sub"));
        EXPECT_EQ(c.CurrentDir(), "/pub/sub");
        EXPECT_TRUE(c.ChangeDir("/pub"));
        EXPECT_EQ(c.CurrentDir(), "/pub");
        EXPECT_NE(c.System().find("UNIX"), std::string::npos);
        EXPECT_TRUE(c.Quit());
    });
}

// Binary both ways from an empty file to several blocks; ASCII sends the
// file's LF lines as CR LF (counted on the wire) and stores them back as LF.
TEST_F(RealServer, TransfersKeepEveryByte) {
    std::string lines;
    for (int i = 0; i < 20000; ++i) lines += "line " + std::to_string(i) + "\n";
    root.Write("pub/text.txt", lines);
    Session([&](FtpClient& c) {
        for (size_t size : {size_t{0}, size_t{3 * 1024 * 1024 + 17}}) {
            std::string name = "f" + std::to_string(size) + ".bin";
            std::string content = RandomBytes(size, static_cast<unsigned>(size));
            root.Write("pub/" + name, content);
            bytes = 0;
            ASSERT_TRUE(c.Get("/pub/" + name, local.File(name), bytes, true)) << name;
            EXPECT_EQ(bytes, static_cast<std::int64_t>(size));
            ASSERT_EQ(local.Read(name), content) << name;
            ASSERT_TRUE(c.Put(local.File(name), "/pub/up-" + name, bytes, true)) << name;
            ASSERT_EQ(root.Read("pub/up-" + name), content) << name;
        }
        bytes = 0;
        ASSERT_TRUE(c.Get("/pub/text.txt", local.File("text.txt"), bytes, false));
        EXPECT_EQ(local.Read("text.txt"), lines);
        EXPECT_EQ(bytes, static_cast<std::int64_t>(lines.size() + 20000));
        ASSERT_TRUE(c.Put(local.File("text.txt"), "/pub/back.txt", bytes, false));
        EXPECT_EQ(root.Read("pub/back.txt"), lines);
    });
}

// Each failure is reported with its cause, nothing local is lost or made,
// and the control connection stays in step for the next call.
TEST_F(RealServer, FailuresAreReportedAndTheConnectionStaysInStep) {
    EXPECT_THROW(FtpClient(server->Host(), server->Port(), server->User(), "wrong"), CFtpObjError);
    EXPECT_EQ(ErrorInfo().rfind("530 login attempt--", 0), 0u) << ErrorInfo();
    EXPECT_EQ(FtpClient(server->Host(), server->Port(), "anonymous", "a@b.org").CurrentDir(), "/");

    local.Write("keep.txt", "precious");
    EXPECT_THROW(client->Get("/pub/missing.bin", local.File("keep.txt"), bytes, true),
                 CFtpObjError);
    EXPECT_EQ(ErrorInfo().rfind("550 retrieving file--550 ", 0), 0u) << ErrorInfo();
    EXPECT_EQ(local.Read("keep.txt"), "precious");
    EXPECT_THROW(client->Get("/pub/missing.bin", local.File("new.bin"), bytes, true), CFtpObjError);
    EXPECT_FALSE(std::filesystem::exists(local.File("new.bin")));

    root.Write("pub/a.bin", "abc");
    EXPECT_THROW(client->Get("/pub/a.bin", local.File("no/such/dir/a.bin"), bytes, true),
                 CFtpObjError);
    EXPECT_EQ(ErrorInfo(), "1002 opening local file for download--File or path not found");
    EXPECT_THROW(client->Put(local.File("missing.bin"), "/pub/m.bin", bytes, true), CFtpObjError);
    EXPECT_EQ(ErrorInfo().rfind("1002 opening local file for upload--", 0), 0u) << ErrorInfo();

    // A full disk is a failure, not a short success.
    root.Write("pub/big.bin", RandomBytes(2 * 1024 * 1024, 3));
    {
        testsupport::FileSizeLimit full(100000);
        EXPECT_THROW(client->Get("/pub/big.bin", local.File("big.bin"), bytes, true), CFtpObjError);
    }
    EXPECT_EQ(ErrorInfo(), "997 downloading file--Couldn't write to file");
    std::string listing;
    EXPECT_TRUE(client->List(listing, "/pub"));
    EXPECT_NE(listing.find("big.bin"), std::string::npos);
}

TEST_F(RealServer, AbortInTheMiddleOfADownloadKeepsThePartialFile) {
    const size_t size = 64 * 1024 * 1024;
    root.Write("pub/big.bin", RandomBytes(size, 7));
    // Like an Abort button: a timer handler aborts once data is flowing.
    QTimer timer;
    int aborts = 0;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (bytes > 0 && aborts++ == 0) {
            EXPECT_EQ(client->Abort(), 1);
        }
    });
    timer.start(1);
    EXPECT_FALSE(client->Get("/pub/big.bin", local.File("big.bin"), bytes, true));
    timer.stop();
    EXPECT_TRUE(client->IsClosed());
    auto kept = std::filesystem::file_size(local.File("big.bin"));
    EXPECT_GT(kept, 0u);
    EXPECT_LT(kept, size);
    EXPECT_EQ(static_cast<std::int64_t>(kept), bytes);
    // After an abort every operation returns false at once.
    std::string text;
    EXPECT_FALSE(client->List(text));
    EXPECT_FALSE(client->Get("/pub/big.bin", local.File("again.bin"), bytes, true));
    EXPECT_FALSE(std::filesystem::exists(local.File("again.bin")));
}

}  // namespace
