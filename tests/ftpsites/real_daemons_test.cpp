// The same site served by pyftpdlib, vsftpd and pure-ftpd: each logs in its
// own way (pure-ftpd answers USER with 230), lists links its own way
// (vsftpd lists a file link's target beside the link) and ends transfers in
// its own words; the tree must come out the same from all three, and a
// file downloaded with the client arrive whole.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>

#include "browsing_fixture.h"
#include "ftp_server.h"
#include "net/ftp_client.h"
#include "real_ftp_server.h"

namespace ftpsites::test {
namespace {

using testsupport::RealFtpServer;

enum class Daemon { kPyftpdlib, kVsftpd, kPureFtpd };

class RealDaemonTest : public BrowsingTest, public ::testing::WithParamInterface<Daemon> {
protected:
    // Starts the daemon over docs/, tools/, readme.txt, data.bin and the
    // links link.txt -> readme.txt and latest -> docs; returns the site's
    // path ("" for the top).
    std::string Serve() {
        std::string root = files_.Path();
        if (GetParam() != Daemon::kPyftpdlib) {
            daemon_ = std::make_unique<RealFtpServer>(GetParam() == Daemon::kVsftpd
                                                          ? RealFtpServer::Kind::kVsftpd
                                                          : RealFtpServer::Kind::kPureFtpd);
            root = daemon_->Root();
        }
        for (const char* dir : {"docs", "tools"})
            std::filesystem::create_directories(root + "/" + dir);
        std::ofstream(root + "/readme.txt") << "hello\n";
        std::ofstream(root + "/docs/guide.txt") << "guide\n";
        std::mt19937 rng(5);
        for (int i = 0; i < 300 * 1024 + 7; ++i) content_ += static_cast<char>(rng() & 255);
        std::ofstream(root + "/data.bin", std::ios::binary) << content_;
        EXPECT_EQ(::symlink("readme.txt", (root + "/link.txt").c_str()), 0);
        EXPECT_EQ(::symlink("docs", (root + "/latest").c_str()), 0);
        if (!daemon_) {
            pyftpd_ = std::make_unique<testsupport::FtpServer>(root);
            EXPECT_TRUE(pyftpd_->Started()) << pyftpd_->Error();
            UsePort(pyftpd_->Port());
            return "";
        }
        EXPECT_GT(daemon_->Port(), 0) << daemon_->Error();
        UsePort(daemon_->Port());
        return daemon_->SitePath() == "/" ? "" : daemon_->SitePath();
    }
    int Port() const { return daemon_ ? daemon_->Port() : pyftpd_->Port(); }

    testsupport::TempDir files_;
    std::string content_;
    std::unique_ptr<testsupport::FtpServer> pyftpd_;
    std::unique_ptr<RealFtpServer> daemon_;
};

TEST_P(RealDaemonTest, AnonymousSiteListsLinksAsWhatTheyPointAtAndFilesArriveWhole) {
    std::string path = Serve();
    if (HasFailure()) return;
    catalog::TreeItem* site = AddSite("Daemon", "anonymous", "reader@example.org", path);
    ASSERT_TRUE(browser_.OpenSite(site));
    EXPECT_TRUE(prompt_.Shown().empty()) << prompt_.Shown()[0];
    EXPECT_EQ(Children(site),
              (std::vector<std::string>{"d docs", "d latest", "d tools", "f data.bin", "f link.txt",
                                        "f readme.txt"}));
    browser_.CloseSite(site);

    testsupport::TempDir local;
    try {
        FtpClient client("127.0.0.1", Port(), "anonymous", "reader@example.org");
        std::int64_t bytes = 0;
        ASSERT_TRUE(client.Get(path + "/data.bin", local.File("data.bin"), bytes, true));
        EXPECT_TRUE(local.Read("data.bin") == content_);
    } catch (const CWinsockErr&) {
        FtpFailure f = FtpErrorRecord::Take();
        ADD_FAILURE() << f.code << " " << f.context << "--" << f.text;
    }
}

std::string DaemonName(const ::testing::TestParamInfo<Daemon>& info) {
    static const char* const names[] = {"pyftpdlib", "vsftpd", "pureftpd"};
    return names[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Daemons, RealDaemonTest,
                         ::testing::Values(Daemon::kPyftpdlib, Daemon::kVsftpd, Daemon::kPureFtpd),
                         DaemonName);

}  // namespace
}  // namespace ftpsites::test
