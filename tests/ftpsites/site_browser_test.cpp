// Live browsing of a real FTP server (pyftpdlib on 127.0.0.1) and of the
// scripted listing server, with the tree's contents checked after each
// command. Commands that re-enter during a listing are fired by timers,
// which run inside the listing's nested event loop as a user's clicks would.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QTimer>
#include <algorithm>

#include "browsing_fixture.h"
#include "catalog/c_entry.h"
#include "ftp_server.h"
#include "ftpsites/listed_entries.h"
#include "ftpsites/site_paths.h"
#include "ftpsites/site_speed.h"

namespace ftpsites::test {
namespace {

using catalog::TreeItem;
using Names = std::vector<std::string>;

class RealServerTest : public BrowsingTest {
protected:
    void SetUp() override {
        BrowsingTest::SetUp();
        files_.Write("readme.txt", "hello\n");
        files_.Write("totals.txt", "1,2,3\n");
        files_.Write("pub/inner.txt", "inner\n");
        files_.Write("My Documents/letter.txt", "dear\n");
        ASSERT_EQ(symlink("pub", files_.File("latest").c_str()), 0);
        ASSERT_EQ(symlink("readme.txt", files_.File("notes").c_str()), 0);
        ASSERT_EQ(symlink("nowhere", files_.File("gone").c_str()), 0);
        server_ = std::make_unique<testsupport::FtpServer>(files_.Path());
        ASSERT_TRUE(server_->Started()) << server_->Error();
        UsePort(server_->Port());
        site_ = AddSite("Local", server_->User(), server_->Password());
    }
    void TearDown() override {
        BrowsingTest::TearDown();
        server_.reset();
    }

    testsupport::TempDir files_;
    std::unique_ptr<testsupport::FtpServer> server_;
    TreeItem* site_ = nullptr;
};

TEST_F(RealServerTest, OpenListRefreshAndCloseASite) {
    site_->Entry()->Date = "INSITE";  // saved while an earlier listing ran
    ASSERT_TRUE(browser_.OpenSite(site_));
    // Directory links show as directories, a dangling link as a file;
    // directories first, each group by exact name ("M" before "l").
    EXPECT_EQ(Children(site_), (Names{"d My Documents", "d latest", "d pub", "f gone", "f notes",
                                      "f readme.txt", "f totals.txt"}));
    EXPECT_EQ(tree_.FindChild(site_, "latest"), Child(site_, "latest"));  // found after sorting
    const catalog::CEntry& site = *site_->Entry();
    EXPECT_EQ(StateOf(site), ListingState::Listed);
    EXPECT_EQ(site.Date, "OUTSITE");
    EXPECT_EQ(site.Path, "/");  // learned from PWD
    EXPECT_EQ(site_->Image(), catalog::kImageFolderClosed);
    EXPECT_EQ(site_->SelectedImage(), catalog::kImageFolderOpen);
    EXPECT_EQ(view_.expanded, std::vector<TreeItem*>{site_});

    TreeItem* totals = Child(site_, "totals.txt");
    const catalog::CEntry& e = *totals->Entry();
    EXPECT_EQ(e.Path, "FTPFILE");
    EXPECT_EQ(e.Address, "127.0.0.1");
    EXPECT_EQ(e.Size, "6");
    EXPECT_EQ(e.Location, "/All/FTP Sites/Local/totals.txt");
    EXPECT_EQ(e.Date.size(), 9u) << e.Date;  // "Dec/06/26"
    EXPECT_EQ(totals->Image(), catalog::kImageItem);
    EXPECT_EQ(SiteRelativePath(totals), "/totals.txt");
    EXPECT_GT(SiteSpeed::Read("127.0.0.1").bytes, 0u);  // the listing fed the host's speed

    // A directory is listed once until refreshed.
    TreeItem* pub = Child(site_, "pub");
    ASSERT_TRUE(browser_.ListDirectory(pub));
    EXPECT_EQ(Children(pub), Names{"f inner.txt"});
    EXPECT_EQ(Child(pub, "inner.txt")->Entry()->Location, "/All/FTP Sites/Local/pub/inner.txt");
    files_.Write("pub/added.txt", "new\n");
    ASSERT_TRUE(browser_.ListDirectory(pub));
    EXPECT_EQ(Children(pub), Names{"f inner.txt"});
    ASSERT_TRUE(browser_.Refresh(pub));
    EXPECT_EQ(Children(pub), (Names{"f added.txt", "f inner.txt"}));
    EXPECT_EQ(StateOf(*pub->Entry()), ListingState::Listed);
    // A directory reached through a link, and one with a blank in its name.
    ASSERT_TRUE(browser_.ListDirectory(Child(site_, "latest")));
    EXPECT_EQ(Children(Child(site_, "latest")), (Names{"f added.txt", "f inner.txt"}));
    ASSERT_TRUE(browser_.ListDirectory(Child(site_, "My Documents")));
    EXPECT_EQ(Children(Child(site_, "My Documents")), Names{"f letter.txt"});
    // Refreshing the site lists its directory again.
    files_.Write("zzz.txt", "z\n");
    ASSERT_TRUE(browser_.Refresh(site_));
    EXPECT_EQ(Children(site_).back(), "f zzz.txt");
    EXPECT_FALSE(Child(site_, "pub")->HasChildren());

    ASSERT_TRUE(browser_.ListDirectory(Child(site_, "pub")));
    browser_.CloseSite(Child(Child(site_, "pub"), "inner.txt"));  // from deep inside
    EXPECT_FALSE(site_->HasChildren());
    EXPECT_EQ(StateOf(*site_->Entry()), ListingState::Closed);
    EXPECT_FALSE(SiteBrowser::IsConnected(site_));
    ASSERT_TRUE(browser_.OpenSite(site_));
    EXPECT_EQ(Children(site_).size(), 8u);
    EXPECT_TRUE(SiteBrowser::IsConnected(site_));
    EXPECT_TRUE(prompt_.Shown().empty()) << ::testing::PrintToString(prompt_.Shown());
}

// A listing far larger than one block of the data connection arrives in
// pieces that cut lines anywhere (even between CR and LF) and goes into the
// tree in several batches: every entry arrives once, whole, in order.
TEST_F(RealServerTest, ALargeListingArrivesWholeWhateverItsBlocks) {
    ASSERT_EQ(::mkdir(files_.File("big").c_str(), 0755), 0);
    Names expected;
    for (int i = 0; i < 1000; ++i) {
        // Names of many lengths, so line ends fall at every offset.
        std::string name =
            "entry " + std::to_string(i) + std::string(static_cast<size_t>(i % 97), 'n');
        if (i % 10 == 0) {
            ASSERT_EQ(::mkdir(files_.File("big/" + name).c_str(), 0755), 0) << name;
            expected.push_back("d " + name);
        } else {
            files_.Write("big/" + name, "");
            expected.push_back("f " + name);
        }
    }
    std::sort(expected.begin(), expected.end());  // "d " before "f ", then by bytes
    ASSERT_TRUE(browser_.OpenSite(site_));
    ASSERT_TRUE(browser_.ListDirectory(Child(site_, "big")));
    EXPECT_EQ(Children(Child(site_, "big")), expected);
    EXPECT_TRUE(prompt_.Shown().empty());
}

// A stored password that cannot be unscrambled is reported, not sent; a
// failed login is shown and leaves the site unlisted, so fixing the password
// is enough; a host that refuses connections is shown with the socket error.
TEST_F(RealServerTest, FailuresToConnectAreShownAndLeaveTheSiteUnlisted) {
    TreeItem* bad = AddSite("Wrong", server_->User(), "not the password");
    site_->Entry()->Price = "not scrambled at all";
    EXPECT_FALSE(browser_.OpenSite(site_));
    ASSERT_EQ(prompt_.Messages().size(), 1u);
    EXPECT_EQ(view_.started, 0);

    EXPECT_FALSE(browser_.OpenSite(bad));
    ASSERT_EQ(prompt_.Messages().size(), 2u);
    EXPECT_EQ(prompt_.Messages()[1].rfind("login attempt\n530", 0), 0u) << prompt_.Messages()[1];
    EXPECT_FALSE(bad->HasChildren());
    EXPECT_EQ(StateOf(*bad->Entry()), ListingState::Unlisted);
    EXPECT_EQ(bad->Image(), catalog::kImageFolderClosed);
    EXPECT_FALSE(SiteBrowser::IsConnected(bad));
    EXPECT_TRUE(view_.expanded.empty());
    bad->Entry()->Price = AddSite("Right", server_->User(), server_->Password())->Entry()->Price;
    EXPECT_TRUE(browser_.OpenSite(bad));
    EXPECT_EQ(Children(bad).size(), 7u);

    server_->Stop();
    TreeItem* other = AddSite("Other", server_->User(), server_->Password());
    EXPECT_FALSE(browser_.OpenSite(other));
    ASSERT_EQ(prompt_.Messages().size(), 3u);
    EXPECT_NE(prompt_.Messages()[2].find("\n"), std::string::npos) << prompt_.Messages()[2];
    EXPECT_NE(prompt_.Messages()[2].find("refused"), std::string::npos) << prompt_.Messages()[2];
    EXPECT_EQ(StateOf(*other->Entry()), ListingState::Unlisted);
}

// The scripted server: listings no real server sends, and ones that stall.
class ScriptedServerTest : public BrowsingTest {
protected:
    // Serves `script` and adds a site for it, opened if `open`.
    TreeItem* Site(const ListingScript& script, bool open = true) {
        EXPECT_TRUE(StartListingServer(script)) << listingServer_->Error();
        TreeItem* site = AddSite("Scripted", "anonymous", "me@example.org");
        EXPECT_TRUE(!open || browser_.OpenSite(site));
        return site;
    }
    // An opened site with a directory "other" and one, "slow", whose
    // listing stops half-way.
    TreeItem* SlowSite() {
        return Site({{{"/", Line('d', "slow") + Line('d', "other")},
                      {"/slow", Line('-', "a") + Line('-', "b")},
                      {"/other", Line('-', "x")}},
                     "/slow"});
    }
    static std::string Line(char type, const std::string& name) {
        return std::string(1, type) + "rw-r--r--   1 ftp      ftp      10 Jul 17  1996 " + name +
               "\r\n";
    }
};

TEST_F(ScriptedServerTest, HostileListingsGiveOnlyUsableEntries) {
    std::string garbage;
    for (int i = 0; i < 3000; ++i) garbage.push_back(static_cast<char>((i * 37 + 11) % 256));
    const std::string last = Line('d', "last-without-newline");
    TreeItem* site =
        Site({{{"/", "total 42\r\n" + Line('-', "totals.txt") + Line('-', "name with  blanks") +
                         Line('d', ".") + Line('d', "..") + Line('-', "evil\rname") +
                         Line('-', "huge" + std::string(2'000'000, 'x')) + garbage + "\r\n" +
                         Line('l', "bin -> usr/bin") + Line('l', "broken -> missing") +
                         Line('l', "doc -> docs/totals.txt") + "\r\n\r\n" +
                         last.substr(0, last.size() - 2)},
               {"usr/bin", "total 3\r\n" + Line('-', "ls")},
               {"docs/totals.txt", Line('-', "totals.txt")}}});
    EXPECT_TRUE(prompt_.Shown().empty());
    Names children = Children(site);
    for (const char* want : {"f totals.txt", "f name with  blanks", "d bin", "f broken", "f doc",
                             "d last-without-newline"})
        EXPECT_NE(std::find(children.begin(), children.end(), want), children.end()) << want;
    for (const std::string& c : children) {
        EXPECT_LE(c.size(), 2 + ListingParser::kMaxLineLength);
        EXPECT_EQ(c.find('\r'), std::string::npos);
        EXPECT_TRUE(c != "d ." && c != "d .." && c != "f ") << c;
    }
}

TEST_F(ScriptedServerTest, ASecondListingOnTheSameSiteIsRefusedWhileOneRuns) {
    TreeItem* site = SlowSite();
    TreeItem* slow = Child(site, "slow");
    TreeItem* other = Child(site, "other");
    bool busyMarked = false;
    QTimer::singleShot(0, [&] {
        busyMarked = SiteBrowser::IsListing(other) && site->Entry()->Date == "INSITE" &&
                     slow->Image() == catalog::kImageBusy;
        EXPECT_TRUE(browser_.ListDirectory(other));
        EXPECT_EQ(prompt_.Messages(), Names{"This site is currently retrieving another directory"});
        EXPECT_NE(StateOf(*other->Entry()), ListingState::Listed);
        EXPECT_FALSE(browser_.Refresh(site));  // refused too, keeping what is shown
        EXPECT_EQ(Children(site).size(), 2u);
        browser_.CloseSite(other);  // ends the stalled listing at once
    });
    EXPECT_FALSE(browser_.ListDirectory(slow));
    EXPECT_TRUE(busyMarked);
    EXPECT_FALSE(site->HasChildren());
    EXPECT_EQ(StateOf(*site->Entry()), ListingState::Closed);
    EXPECT_EQ(site->Entry()->Date, "OUTSITE");
    EXPECT_FALSE(SiteBrowser::IsListing(site));
    EXPECT_EQ(view_.maxDepth, 1);
    // The refused directory was not marked listed: after reopening, it lists.
    ASSERT_TRUE(browser_.OpenSite(site));
    ASSERT_TRUE(browser_.ListDirectory(Child(site, "other")));
    EXPECT_EQ(Children(Child(site, "other")), Names{"f x"});
}

TEST_F(ScriptedServerTest, AServerThatStopsAnsweringMidListingTimesOut) {
    TreeItem* site = SlowSite();
    TreeItem* slow = Child(site, "slow");
    setenv("AMBIT_NET_TIMEOUT", "1", 1);
    EXPECT_TRUE(browser_.ListDirectory(slow));  // shown, with the failure
    ASSERT_EQ(prompt_.Messages().size(), 1u);
    EXPECT_NE(prompt_.Messages()[0].find("--Timed out"), std::string::npos)
        << prompt_.Messages()[0];
    EXPECT_FALSE(slow->HasChildren());
    // Nothing was listed, so the directory can be tried again.
    EXPECT_EQ(StateOf(*slow->Entry()), ListingState::Unlisted);
    EXPECT_EQ(site->Entry()->Date, "OUTSITE");
    EXPECT_FALSE(SiteBrowser::IsListing(site));
    EXPECT_EQ(slow->Image(), catalog::kImageFolderClosed);
}

// A link whose target never finishes listing fails the listing after every
// other entry has arrived: those are shown, in order.
TEST_F(ScriptedServerTest, WhatAFailedListingBroughtIsShownInOrder) {
    TreeItem* site =
        Site({{{"/", Line('-', "b.txt") + Line('d', "Z") + Line('-', "A.txt") + Line('d', "a") +
                         Line('l', "link -> slow") + Line('d', "never")},
               {"slow", "total 2\r\n" + Line('-', "s1")}},
              "slow"},
             false);
    setenv("AMBIT_NET_TIMEOUT", "1", 1);
    EXPECT_TRUE(browser_.OpenSite(site));
    ASSERT_EQ(prompt_.Messages().size(), 1u);
    EXPECT_EQ(Children(site), (Names{"d Z", "d a", "d never", "f A.txt", "f b.txt"}));
    EXPECT_EQ(StateOf(*site->Entry()), ListingState::Listed);
    EXPECT_EQ(site->Entry()->Date, "OUTSITE");
    EXPECT_EQ(view_.expanded.size(), 1u);
}

// A directory the server will not enter (forbidden, or deleted since it was
// listed) must not get the current directory's listing below it.
TEST_F(ScriptedServerTest, ADirectoryTheServerRefusesToEnterStaysEmpty) {
    TreeItem* site = Site({{{"/", Line('d', "gone") + Line('-', "top.txt")}}});
    TreeItem* gone = Child(site, "gone");
    browser_.ListDirectory(gone);
    EXPECT_FALSE(gone->HasChildren()) << ::testing::PrintToString(Children(gone));
    EXPECT_EQ(StateOf(*gone->Entry()), ListingState::Unlisted);
    EXPECT_EQ(gone->Image(), catalog::kImageFolderClosed);
    EXPECT_FALSE(SiteBrowser::IsListing(site));
    for (const std::string& m : prompt_.Messages())
        EXPECT_NE(m.find("550"), std::string::npos) << m;
}

TEST_F(ScriptedServerTest, DeletingTheSiteDuringItsListingIsSurvived) {
    TreeItem* site = SlowSite();
    QTimer::singleShot(0, [&] { tree_.DeleteSubtree(site, true); });
    EXPECT_FALSE(browser_.ListDirectory(Child(site, "slow")));
    EXPECT_EQ(view_.finishedGone, 1);
    EXPECT_TRUE(prompt_.Shown().empty());
    EXPECT_EQ(tree_.FindChild(tree_.FindChild(tree_.RootItem(), "FTP Sites"), "Scripted"), nullptr);
}

TEST(SiteSpeed, TotalsKeepTheirRatioWhenTheyWouldOverflow) {
    SiteSpeed::Values sum = SiteSpeed::Add({0x70000000u, 0x1000u}, 0x20000000u, 0x1000u);
    EXPECT_LE(sum.bytes, 0x7fffffffu);
    EXPECT_EQ(sum.bytes / sum.milliseconds, 0x90000000ull / 0x2000u);
    SiteSpeed::Values huge = SiteSpeed::Add({}, ~0ull, ~0ull);
    EXPECT_LE(huge.bytes, 0x7fffffffu);
    EXPECT_EQ(huge.bytes, huge.milliseconds);
}

}  // namespace
}  // namespace ftpsites::test
