// What the live-browsing tests share: a settings store in a temporary
// file, a scripted prompt, a catalog tree with one FTP site, a view that
// records what it was told, and the listings mode of
// tests/servers/scripted_ftp_server.py for replies no real server would send.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "catalog/catalog_tree.h"
#include "ftpsites/site_browser.h"
#include "ftpsites/site_browser_view.h"
#include "platform/prompt.h"
#include "scripted_prompt.h"
#include "server_process.h"
#include "temp_dir.h"

namespace ftpsites::test {

class RecordingView : public SiteBrowserView {
public:
    void ListingStarted(catalog::TreeItem*) override {
        ++started;
        maxDepth = std::max(maxDepth, ++depth);
    }
    void ListingFinished(catalog::TreeItem* item) override {
        ++finished;
        --depth;
        if (!item) ++finishedGone;
    }
    void ExpandItem(catalog::TreeItem* item) override { expanded.push_back(item); }

    int started = 0;
    int finished = 0;
    int finishedGone = 0;  // finishes reported with a null item
    int depth = 0;
    int maxDepth = 0;
    std::vector<catalog::TreeItem*> expanded;
};

// A site served from `listings` (keys: a directory the client changed to,
// or a LIST argument; "/" for the top).
struct ListingScript {
    std::map<std::string, std::string> listings;
    std::string stallList{};  // listing sent half, then silence
};

class BrowsingTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // An FTP site entry at /All/FTP Sites/<name>, its password scrambled.
    catalog::TreeItem* AddSite(const std::string& name, const std::string& user,
                               const std::string& password, const std::string& path = "");
    // Points the FTP client at `port` (AMBIT_FTP_PORT).
    static void UsePort(int port);
    bool StartListingServer(const ListingScript& script);

    // The children's texts and kinds ("d" or "f") of an item, in tree order.
    static std::vector<std::string> Children(const catalog::TreeItem* item);
    // Throws when there is no such child, which fails the test.
    static catalog::TreeItem* Child(const catalog::TreeItem* item, const std::string& text);

    testsupport::TempDir dir_;
    platform::ScriptedPrompt prompt_;
    std::unique_ptr<platform::ScopedPrompt> scopedPrompt_;
    catalog::CatalogTree tree_;
    RecordingView view_;
    SiteBrowser browser_{tree_, &view_};
    std::unique_ptr<testsupport::ServerProcess> listingServer_;
};

}  // namespace ftpsites::test
