// The real skiff program, started the way ambit starts it (one argument),
// for runs that show no message. It runs offscreen against pyftpdlib with the test's private
// settings and log directories.
#include <gtest/gtest.h>

#include <filesystem>

#include "ftp_server.h"
#include "skiff_environment.h"
#include "skiff_process.h"

namespace {

using skifftest::SkiffEnvironment;

class SkiffProgram : public SkiffEnvironment {
protected:
    SkiffProgram() : server_(root_.Path()) {
        EXPECT_TRUE(server_.Started()) << server_.Error();
        SetEnv("AMBIT_FTP_PORT", std::to_string(server_.Port()));
        SetEnv("QT_QPA_PLATFORM", "offscreen");
    }

    int Skiff(const std::string& argument) {
        return testsupport::RunSkiffProcess(argument, &output_);
    }

    testsupport::TempDir root_;
    testsupport::FtpServer server_;
    std::string output_;
};

// A binary download arrives whole and is logged; an ASCII upload is not logged.
TEST_F(SkiffProgram, DownloadsAndLogsThenUploadsInAscii) {
    const std::string content = skifftest::RandomBytes(2 * 1024 * 1024 + 11, 7);
    root_.Write("files/setup.bin", content);
    const std::string local = local_.File("setup.bin");
    ASSERT_EQ(Skiff(Argument("127.0.0.1", "/files/setup.bin", server_.User(), server_.Password(),
                             local, "1")),
              0)
        << output_;
    EXPECT_EQ(local_.Read("setup.bin"), content);
    auto log = LogEntries();
    ASSERT_EQ(log.size(), 1u);
    ASSERT_EQ(log[0].size(), 11u);
    EXPECT_EQ(log[0][2], local);
    EXPECT_EQ(log[0][5], std::to_string(content.size()));

    std::string notes = local_.Write("notes.txt", "one\ntwo\n\nthree\n");
    ASSERT_EQ(
        Skiff(Argument("127.0.0.1", "/notes.txt", server_.User(), server_.Password(), notes, "2")),
        0)
        << output_;
    // The wire carries CR LF; pyftpdlib stores what it received in ASCII mode
    // with the platform's line ends, so compare line by line.
    std::string stored = root_.Read("notes.txt");
    std::erase(stored, '\r');
    EXPECT_EQ(stored, "one\ntwo\n\nthree\n");
    EXPECT_EQ(LogEntries().size(), 1u);
}

}  // namespace
