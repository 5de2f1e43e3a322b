// Live browsing of a real FTP server (pyftpdlib on 127.0.0.1) and of the
// scripted listing server, with the tree's contents checked after each
// command. Commands that re-enter during a listing are fired by timers,
// which run inside the listing's nested event loop exactly as a user's
// clicks would.
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

TEST_F(RealServerTest, OpeningASiteListsItsDirectoriesFilesAndLinks) {
    site_->Entry()->Date = "INSITE";  // saved while an earlier listing ran
    ASSERT_TRUE(browser_.OpenSite(site_));
    EXPECT_TRUE(prompt_.Shown().empty()) << prompt_.Shown().front();
    // Directory links show as directories; a dangling link as a file.
    // Directories come first, each group by exact name ("M" before "l").
    std::vector<std::string> expected = {"d My Documents", "d latest",     "d pub",       "f gone",
                                         "f notes",        "f readme.txt", "f totals.txt"};
    EXPECT_EQ(Children(site_), expected);
    for (const char* name : {"My Documents", "latest", "gone", "totals.txt"})
        EXPECT_EQ(tree_.FindChild(site_, name), Child(site_, name))
            << name;  // lookup after sorting

    const catalog::CEntry& site = *site_->Entry();
    EXPECT_EQ(StateOf(site), ListingState::Listed);
    EXPECT_EQ(site.Date, "OUTSITE");
    EXPECT_EQ(site.Path, "/");  // learned from PWD
    EXPECT_EQ(site_->Image(), catalog::kImageFolderClosed);
    EXPECT_EQ(site_->SelectedImage(), catalog::kImageFolderOpen);
    EXPECT_TRUE(SiteBrowser::IsConnected(site_));
    ASSERT_EQ(view_.expanded.size(), 1u);
    EXPECT_EQ(view_.expanded[0], site_);

    TreeItem* totals = Child(site_, "totals.txt");
    ASSERT_TRUE(totals && totals->Entry());
    const catalog::CEntry& e = *totals->Entry();
    EXPECT_EQ(e.Path, "FTPFILE");
    EXPECT_EQ(e.Address, "127.0.0.1");
    EXPECT_EQ(e.Size, "6");
    EXPECT_EQ(e.Location, "/All/FTP Sites/Local/totals.txt");
    EXPECT_EQ(e.Date.size(), 9u) << e.Date;  // "Dec/06/26"
    EXPECT_EQ(totals->Image(), catalog::kImageItem);
    EXPECT_EQ(SiteRelativePath(totals), "/totals.txt");
    EXPECT_EQ(Child(site_, "pub")->Image(), catalog::kImageFolderClosed);

    // The listing fed the host's speed values.
    SiteSpeed::Values speed = SiteSpeed::Read("127.0.0.1");
    EXPECT_GT(speed.bytes, 0u);
    EXPECT_GE(speed.milliseconds, 1u);
}

TEST_F(RealServerTest, DirectoriesAreListedOnceUntilRefreshed) {
    ASSERT_TRUE(browser_.OpenSite(site_));
    TreeItem* pub = Child(site_, "pub");
    ASSERT_TRUE(browser_.ListDirectory(pub));
    EXPECT_EQ(Children(pub), std::vector<std::string>{"f inner.txt"});
    EXPECT_EQ(StateOf(*pub->Entry()), ListingState::Listed);
    EXPECT_EQ(Child(pub, "inner.txt")->Entry()->Location, "/All/FTP Sites/Local/pub/inner.txt");

    files_.Write("pub/added.txt", "new\n");
    ASSERT_TRUE(browser_.ListDirectory(pub));  // already listed: only expanded
    EXPECT_EQ(Children(pub), std::vector<std::string>{"f inner.txt"});
    ASSERT_TRUE(browser_.Refresh(pub));
    EXPECT_EQ(Children(pub), (std::vector<std::string>{"f added.txt", "f inner.txt"}));
    EXPECT_EQ(StateOf(*pub->Entry()), ListingState::Listed);

    // A directory reached through a link, and one with a blank in its name.
    TreeItem* latest = Child(site_, "latest");
    ASSERT_TRUE(browser_.ListDirectory(latest));
    EXPECT_EQ(Children(latest), (std::vector<std::string>{"f added.txt", "f inner.txt"}));
    TreeItem* docs = Child(site_, "My Documents");
    ASSERT_TRUE(browser_.ListDirectory(docs));
    EXPECT_EQ(Children(docs), std::vector<std::string>{"f letter.txt"});

    // Refresh of the site itself lists its directory again.
    files_.Write("zzz.txt", "z\n");
    ASSERT_TRUE(browser_.Refresh(site_));
    EXPECT_EQ(Children(site_).back(), "f zzz.txt");
    EXPECT_FALSE(Child(site_, "pub")->HasChildren());
    EXPECT_TRUE(prompt_.Shown().empty());
}

// A listing far larger than one block of the data connection arrives in
// many pieces that cut lines anywhere (even between CR and LF) and goes
// into the tree in several batches: every entry must arrive exactly once,
// whole, and the children end up in the same order as a small listing's.
TEST_F(RealServerTest, ALargeListingArrivesWholeWhateverItsBlocks) {
    ASSERT_EQ(::mkdir(files_.File("big").c_str(), 0755), 0);
    std::vector<std::string> expected;
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
    TreeItem* big = Child(site_, "big");
    ASSERT_NE(big, nullptr);
    ASSERT_TRUE(browser_.ListDirectory(big));
    EXPECT_EQ(Children(big), expected);
    EXPECT_TRUE(prompt_.Shown().empty());
}

TEST_F(RealServerTest, CloseSiteRemovesItsChildrenAndAReopenConnectsAgain) {
    ASSERT_TRUE(browser_.OpenSite(site_));
    ASSERT_TRUE(browser_.ListDirectory(Child(site_, "pub")));
    browser_.CloseSite(Child(Child(site_, "pub"), "inner.txt"));  // from deep inside
    EXPECT_FALSE(site_->HasChildren());
    EXPECT_EQ(StateOf(*site_->Entry()), ListingState::Closed);
    EXPECT_FALSE(SiteBrowser::IsConnected(site_));

    ASSERT_TRUE(browser_.OpenSite(site_));
    EXPECT_EQ(Children(site_).size(), 7u);
    EXPECT_TRUE(SiteBrowser::IsConnected(site_));
    EXPECT_TRUE(prompt_.Shown().empty()) << ::testing::PrintToString(prompt_.Shown());
}

TEST_F(RealServerTest, AFailedLoginIsShownAndTheNextAttemptConnectsAgain) {
    TreeItem* bad = AddSite("Wrong", server_->User(), "not the password");
    EXPECT_FALSE(browser_.OpenSite(bad));
    ASSERT_EQ(prompt_.Messages().size(), 1u);
    EXPECT_EQ(prompt_.Messages()[0].rfind("login attempt\n530", 0), 0u) << prompt_.Messages()[0];
    EXPECT_FALSE(bad->HasChildren());
    EXPECT_EQ(StateOf(*bad->Entry()), ListingState::Unlisted);
    EXPECT_EQ(bad->Image(), catalog::kImageFolderClosed);
    EXPECT_FALSE(SiteBrowser::IsConnected(bad));
    EXPECT_TRUE(view_.expanded.empty());

    // The state went back to unlisted, so fixing the password is enough.
    bad->Entry()->Price = site_->Entry()->Price;
    EXPECT_TRUE(browser_.OpenSite(bad));
    EXPECT_EQ(Children(bad).size(), 7u);
}

// A stored password that cannot be unscrambled is reported, not sent; a host
// that refuses connections is shown with the socket error.
TEST_F(RealServerTest, BadStoredPasswordAndRefusedConnectionAreReported) {
    site_->Entry()->Price = "not scrambled at all";
    EXPECT_FALSE(browser_.OpenSite(site_));
    ASSERT_EQ(prompt_.Messages().size(), 1u);
    EXPECT_EQ(view_.started, 0);

    server_->Stop();
    TreeItem* other = AddSite("Other", server_->User(), server_->Password());
    EXPECT_FALSE(browser_.OpenSite(other));
    ASSERT_EQ(prompt_.Messages().size(), 2u);
    const std::string& m = prompt_.Messages()[1];
    EXPECT_NE(m.find('\n'), std::string::npos) << m;
    EXPECT_NE(m.find("refused"), std::string::npos) << m;
    EXPECT_EQ(StateOf(*site_->Entry()), ListingState::Unlisted);
    EXPECT_EQ(StateOf(*other->Entry()), ListingState::Unlisted);
}

// Scripted server: listings no real server sends, and one that stalls.
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
        ListingScript script;
        script.listings["/"] = Line('d', "slow") + Line('d', "other");
        script.listings["/slow"] = Line('-', "a") + Line('-', "b");
        script.listings["/other"] = Line('-', "x");
        script.stallList = "/slow";
        return Site(script);
    }
    static std::string Line(char type, const std::string& name, const char* size = "10") {
        return std::string(1, type) + "rw-r--r--   1 ftp      ftp      " + size + " Jul 17  1996 " +
               name + "\r\n";
    }
};

TEST_F(ScriptedServerTest, HostileListingsGiveOnlyUsableEntries) {
    std::string garbage;
    for (int i = 0; i < 3000; ++i) garbage.push_back(static_cast<char>((i * 37 + 11) % 256));
    ListingScript script;
    script.listings["/"] =
        "total 42\r\n" + Line('-', "totals.txt") + Line('-', "name with  blanks") + Line('d', ".") +
        Line('d', "..") + Line('-', "evil\rname") +
        Line('-', "huge" + std::string(2'000'000, 'x')) + garbage + "\r\n" +
        Line('l', "bin -> usr/bin") + Line('l', "broken -> missing") +
        Line('l', "doc -> docs/totals.txt") + "\r\n\r\n" +
        Line('d', "last-without-newline").substr(0, Line('d', "last-without-newline").size() - 2);
    script.listings["usr/bin"] = "total 3\r\n" + Line('-', "ls");
    script.listings["docs/totals.txt"] = Line('-', "totals.txt");
    TreeItem* site = Site(script, false);

    ASSERT_TRUE(browser_.OpenSite(site));
    EXPECT_TRUE(prompt_.Shown().empty());
    std::vector<std::string> children = Children(site);
    for (const char* want : {"f totals.txt", "f name with  blanks", "d bin", "f broken", "f doc",
                             "d last-without-newline"})
        EXPECT_NE(std::find(children.begin(), children.end(), want), children.end()) << want;
    for (const std::string& c : children) {
        EXPECT_LE(c.size(), 2 + ListingParser::kMaxLineLength);
        EXPECT_EQ(c.find('\r'), std::string::npos);
        EXPECT_NE(c, "d .");
        EXPECT_NE(c, "d ..");
        EXPECT_NE(c, "f ");
    }
}

TEST_F(ScriptedServerTest, ASecondListingOnTheSameSiteIsRefusedWhileOneRuns) {
    TreeItem* site = SlowSite();
    TreeItem* slow = Child(site, "slow");
    TreeItem* other = Child(site, "other");

    bool refusedShown = false, busyMarked = false;
    QTimer::singleShot(0, [&] {
        busyMarked = SiteBrowser::IsListing(other) && site->Entry()->Date == "INSITE";
        EXPECT_EQ(slow->Image(), catalog::kImageBusy);
        EXPECT_TRUE(browser_.ListDirectory(other)) << ::testing::PrintToString(prompt_.Messages());
        refusedShown =
            prompt_.Messages().size() == 1 &&
            prompt_.Messages()[0] == "This site is currently retrieving another directory";
        // Refused, so not marked listed: the next activation lists it.
        EXPECT_NE(StateOf(*other->Entry()), ListingState::Listed);
        // Refresh is refused too, and keeps what is shown.
        EXPECT_FALSE(browser_.Refresh(site));
        EXPECT_EQ(Children(site).size(), 2u);
        // Close Site ends the stalled listing at once.
        browser_.CloseSite(other);
    });
    EXPECT_FALSE(browser_.ListDirectory(slow));
    EXPECT_TRUE(busyMarked);
    EXPECT_TRUE(refusedShown);
    EXPECT_FALSE(site->HasChildren());
    EXPECT_EQ(StateOf(*site->Entry()), ListingState::Closed);
    EXPECT_EQ(site->Entry()->Date, "OUTSITE");
    EXPECT_FALSE(SiteBrowser::IsListing(site));
    EXPECT_EQ(view_.maxDepth, 1);

    // The refused directory was not marked listed: after reopening, it lists.
    ASSERT_TRUE(browser_.OpenSite(site));
    other = Child(site, "other");
    ASSERT_TRUE(browser_.ListDirectory(other));
    EXPECT_EQ(Children(other), std::vector<std::string>{"f x"});
}

TEST_F(ScriptedServerTest, AServerThatStopsAnsweringMidListingTimesOut) {
    TreeItem* site = SlowSite();
    TreeItem* slow = Child(site, "slow");

    setenv("AMBIT_NET_TIMEOUT", "1", 1);
    EXPECT_TRUE(browser_.ListDirectory(slow));  // shown, with the failure
    ASSERT_EQ(prompt_.Messages().size(), 1u);
    const std::string& m = prompt_.Messages()[0];
    EXPECT_NE(m.find("--"), std::string::npos) << m;
    EXPECT_NE(m.find("Timed out"), std::string::npos) << m;
    EXPECT_FALSE(slow->HasChildren());
    // Nothing was listed, so the directory can be tried again.
    EXPECT_EQ(StateOf(*slow->Entry()), ListingState::Unlisted);
    EXPECT_EQ(site->Entry()->Date, "OUTSITE");
    EXPECT_FALSE(SiteBrowser::IsListing(site));
    EXPECT_EQ(slow->Image(), catalog::kImageFolderClosed);
}

TEST_F(ScriptedServerTest, WhatAFailedListingBroughtIsShownInOrder) {
    ListingScript script;
    script.listings["/"] = Line('-', "b.txt") + Line('d', "Z") + Line('-', "A.txt") +
                           Line('d', "a") + Line('l', "link -> slow") + Line('d', "never");
    script.listings["slow"] = "total 2\r\n" + Line('-', "s1") + Line('-', "s2");
    script.stallList = "slow";
    TreeItem* site = Site(script, false);

    // The link's target never finishes listing: the listing fails there,
    // after every other entry has arrived.
    setenv("AMBIT_NET_TIMEOUT", "1", 1);
    EXPECT_TRUE(browser_.OpenSite(site));
    ASSERT_EQ(prompt_.Messages().size(), 1u);
    EXPECT_NE(prompt_.Messages()[0].find("--"), std::string::npos) << prompt_.Messages()[0];
    EXPECT_EQ(Children(site),
              (std::vector<std::string>{"d Z", "d a", "d never", "f A.txt", "f b.txt"}));
    EXPECT_EQ(StateOf(*site->Entry()), ListingState::Listed);
    EXPECT_EQ(site->Entry()->Date, "OUTSITE");
    ASSERT_EQ(view_.expanded.size(), 1u);
}

// A directory the server will not enter (forbidden, or deleted since it
// was listed) must not get the current directory's listing below it.
TEST_F(ScriptedServerTest, ADirectoryTheServerRefusesToEnterStaysEmpty) {
    ListingScript script;
    script.listings["/"] = Line('d', "gone") + Line('-', "top.txt");
    TreeItem* site = Site(script);
    TreeItem* gone = Child(site, "gone");
    ASSERT_NE(gone, nullptr);

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
    TreeItem* slow = Child(site, "slow");

    QTimer::singleShot(0, [&] { tree_.DeleteSubtree(site, true); });
    EXPECT_FALSE(browser_.ListDirectory(slow));
    EXPECT_EQ(view_.finishedGone, 1);
    EXPECT_TRUE(prompt_.Shown().empty());
    EXPECT_EQ(tree_.FindChild(tree_.FindChild(tree_.RootItem(), "FTP Sites"), "Scripted"), nullptr);
}

TEST(SiteSpeed, TotalsKeepTheirRatioWhenTheyWouldOverflow) {
    SiteSpeed::Values v{0x70000000u, 0x1000u};
    SiteSpeed::Values sum = SiteSpeed::Add(v, 0x20000000u, 0x1000u);
    EXPECT_LE(sum.bytes, 0x7fffffffu);
    EXPECT_EQ(sum.bytes / sum.milliseconds, 0x90000000ull / 0x2000u);
    SiteSpeed::Values huge = SiteSpeed::Add({}, ~0ull, ~0ull);
    EXPECT_LE(huge.bytes, 0x7fffffffu);
    EXPECT_EQ(huge.bytes, huge.milliseconds);
}

}  // namespace
}  // namespace ftpsites::test
