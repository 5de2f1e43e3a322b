// Activating items and the command-enable rules: folders read their
// contents file or offer to fetch it, data-file names fetch the first data
// file, everything else goes to the main window by kind.
#include <gtest/gtest.h>

#include <filesystem>

#include "catalog/catalog.h"
#include "catalog/command_rules.h"
#include "catalog_test_util.h"
#include "directory_fetcher.h"
#include "platform/atomic_file.h"
#include "platform/prompt.h"
#include "scripted_prompt.h"
#include "temp_dir.h"

namespace catalog {
namespace {

using catalogtest::kHeader;

class RecordingHandler : public ActivationHandler {
public:
    void OpenSite(TreeItem* t) override { calls.push_back("site " + t->Text()); }
    void ListDirectory(TreeItem* t) override { calls.push_back("list " + t->Text()); }
    void DownloadSiteFile(TreeItem* t) override { calls.push_back("download " + t->Text()); }
    void OpenMapFile(TreeItem* t) override { calls.push_back("map " + t->Text()); }
    void ShowItemProperties(TreeItem* t) override { calls.push_back("properties " + t->Text()); }
    std::vector<std::string> calls;
};

struct Fixture {
    testsupport::TempDir data, server;
    platform::ScriptedPrompt prompt;
    platform::ScopedPrompt scoped{&prompt};
    testsupport::DirectoryFetcher fetcher{server.Path()};
    RecordingHandler handler;
    Catalog catalog{data.Path()};

    Fixture() {
        setenv("AMBIT_MAP_SERVER", "127.0.0.1", 1);
        catalog.SetFetcher(&fetcher);
        catalog.SetActivationHandler(&handler);
        catalog.InsertRootItems("127.0.0.1", "PW");
    }
    TreeItem* Insert(const std::string& location, const std::string& description,
                     const std::string& path, const std::string& downloadDir = "") {
        CEntry e = catalogtest::Entry(location, description, path);
        e.DownloadDir = downloadDir;
        return catalog.Tree().InsertEntry(e);
    }
};

// A folder reads its contents file once; a missing, invalid or outside one
// offers a fetch from the map server.
TEST(Activation, FoldersReadTheirContentsFileOrOfferAFetch) {
    Fixture f;
    f.data.Write("Here.amb", std::string(kHeader) + "/All/Here/zip:d:::::: \n");
    TreeItem* here = f.Insert("/All/Here", "NONE", "HEADER", "Here.amb");
    for (int i = 0; i < 2; ++i) f.catalog.ActivateItem(here);
    ASSERT_EQ(here->ChildCount(), 1);
    EXPECT_EQ(here->Child(0)->Entry()->MapFileId, 0);
    EXPECT_TRUE(f.prompt.Shown().empty());

    f.server.Write("pub/Ambit/Tools.amb", std::string(kHeader) + "/All/Tools/fetched:d:::::: \n");
    TreeItem* tools = f.Insert("/All/Tools", "NONE", "HEADER", "Tools.amb");
    f.prompt.Answer(false);
    f.catalog.ActivateItem(tools);
    ASSERT_EQ(f.prompt.Questions().size(), 1u);
    EXPECT_EQ(
        f.prompt.Questions()[0],
        "I couldn't find that data file on your machine.\nWould you like me to get a new copy "
        "from the server?");
    EXPECT_TRUE(f.fetcher.requests.empty());

    // A name leading out of the data directory is not read.
    f.server.Write("secret.amb", std::string(kHeader) + "/All/F/leak:d:::::: \n");
    std::string outside = std::filesystem::relative(f.server.File("secret.amb"), f.data.Path());
    TreeItem* leak = f.Insert("/All/F", "NONE", "HEADER", outside);
    f.prompt.Answer(false);
    f.catalog.ActivateItem(leak);
    EXPECT_EQ(leak->ChildCount(), 0);
    EXPECT_EQ(f.prompt.Questions().size(), 2u);

    // A fetch that fails changes nothing, so closing asks nothing.
    f.prompt.Answer(true);
    f.catalog.ActivateItem(f.Insert("/All/Gone", "NONE", "HEADER", "Gone.amb"));
    EXPECT_EQ(f.fetcher.requests, std::vector<std::string>{"127.0.0.1/pub/Ambit/Gone.amb"});
    EXPECT_FALSE(f.catalog.Changed());
    f.fetcher.requests.clear();

    f.prompt.Answer(true);
    f.catalog.ActivateItem(tools);
    EXPECT_EQ(f.fetcher.requests, std::vector<std::string>{"127.0.0.1/pub/Ambit/Tools.amb"});
    ASSERT_EQ(tools->ChildCount(), 1);
    EXPECT_TRUE(f.catalog.Changed());

    TreeItem* bad = f.Insert("/All/Bad", "NONE", "HEADER", "Bad.amb");
    f.data.Write("Bad.amb", "%Internet Ambit Data File %ver=\"2.0\"\n/All/Bad/x:d:::::: \n");
    f.catalog.ActivateItem(bad);
    EXPECT_EQ(f.prompt.Questions().back(),
              "The data file you have on your drive is not valid.\nWould you like me to get a new "
              "one from the server?");
    EXPECT_EQ(bad->ChildCount(), 0);
}

TEST(Activation, DataFileNamesFetchTheFirstDataFileOnceOver) {
    Fixture f;
    f.server.Write("pub/Ambit/first.amb", std::string(kHeader) + "/All/From server:d:::::: \n");
    // Every letter case of the extension counts; the letters alone do not.
    for (const char* name : {"catalog.amb", "CATALOG.AMB", "catalog.Amb", "Roast Lamb", "amb"})
        f.catalog.ActivateItem(f.Insert(std::string("/All/") + name, "a catalog", "/x"));
    EXPECT_EQ(f.fetcher.requests.size(), 3u);
    EXPECT_EQ(f.fetcher.requests[0], "127.0.0.1/pub/Ambit/first.amb");
    EXPECT_EQ(f.handler.calls,
              (std::vector<std::string>{"properties Roast Lamb", "properties amb"}));
    // Fetched three times, the file's entries are there once.
    TreeItem* root = f.catalog.Tree().RootItem();
    int copies = 0;
    for (int i = 0; i < root->ChildCount(); ++i) copies += root->Child(i)->Text() == "From server";
    EXPECT_EQ(copies, 1);
}

TEST(Activation, OtherKindsGoToTheMainWindow) {
    Fixture f;
    TreeItem* site = f.Insert("/All/FTP Sites/S", "FTPSITE", "/pub");
    f.catalog.ActivateItem(site);
    TreeItem* dir = f.Insert("/All/FTP Sites/S/pub", "", "FTPDIR");
    f.catalog.ActivateItem(dir);
    f.catalog.ActivateItem(site);  // now open: its properties
    f.catalog.ActivateItem(f.Insert("/All/FTP Sites/S/pub/f.zip", "", "FTPFILE"));
    f.catalog.ActivateItem(f.Insert("/All/MapFiles/M", "LOCALARF", "/m.amb"));
    f.catalog.ActivateItem(f.Insert("/All/MapFiles/M2.amb", "LOCALARF", "/m.amb"));
    f.catalog.ActivateItem(f.Insert("/All/Item", "free text", "/pub/i.zip"));
    f.catalog.ActivateItem(f.catalog.Tree().RootItem());  // no entry: nothing
    TreeItem* folder = f.Insert("/All/Full", "NONE", "HEADER", "Full.amb");
    f.Insert("/All/Full/x", "d", "/x");
    f.catalog.ActivateItem(folder);  // contents showing: nothing
    EXPECT_EQ(f.handler.calls,
              (std::vector<std::string>{"site S", "list pub", "properties S", "download f.zip",
                                        "map M", "map M2.amb", "properties Item"}));
    EXPECT_TRUE(f.fetcher.requests.empty());
}

TEST(EnableRules, FollowTheSelectedItem) {
    Fixture f;
    TreeItem* sites =
        f.catalog.Tree().InsertItem(f.catalog.Tree().RootItem(), "FTP Sites", nullptr);
    TreeItem* plain = f.catalog.Tree().InsertItem(f.catalog.Tree().RootItem(), "Plain", nullptr);
    TreeItem* folder = f.Insert("/All/Tools", "NONE", "HEADER", "Tools.amb");
    TreeItem* free = f.Insert("/All/free", "d", "/f");
    TreeItem* zero = f.Insert("/All/zero", "d", "/f");
    zero->Entry()->Price = "0.00";
    TreeItem* priced = f.Insert("/All/priced", "d", "/f");
    priced->Entry()->Price = "12.50";
    TreeItem* closedSite = f.Insert("/All/FTP Sites/closed", "FTPSITE", "/pub");
    TreeItem* openSite = f.Insert("/All/FTP Sites/open", "FTPSITE", "/pub");
    TreeItem* dir = f.Insert("/All/FTP Sites/open/d", "", "FTPDIR");
    TreeItem* file = f.Insert("/All/FTP Sites/open/d/f", "", "FTPFILE");
    // Listed, but the server had nothing to show.
    TreeItem* emptySite = f.Insert("/All/FTP Sites/empty", "FTPSITE", "/pub");
    SetState(*emptySite->Entry(), ListingState::Listed);
    TreeItem* emptyDir = f.Insert("/All/FTP Sites/open/e", "", "FTPDIR");
    SetState(*emptyDir->Entry(), ListingState::Listed);
    TreeItem* map = f.Insert("/All/MapFiles/m", "LOCALARF", "/m.amb");
    map->Entry()->Address = "host";
    TreeItem* mapNoPath = f.Insert("/All/MapFiles/n", "LOCALARF", "");
    mapNoPath->Entry()->Address = "host";
    TreeItem* fromMap = f.Insert("/All/MapFiles/m/x", "d", "/x");
    fromMap->Entry()->MapFileId = 44;
    TreeItem* none = nullptr;

    using C = CatalogCommand;
    struct Row {
        C command;
        std::vector<TreeItem*> enabled, disabled;
    } rows[] = {
        {C::Download, {free, zero, file, map}, {none, plain, folder, priced, closedSite, dir}},
        {C::ItemProperties, {free, priced, closedSite, file}, {none, plain, folder}},
        {C::Edit, {plain, sites, folder, free, closedSite, map}, {none, dir, file}},
        {C::NewFolder, {plain, folder, free, map}, {none, sites, closedSite, dir, file, fromMap}},
        {C::Add, {none, plain, sites, folder, free}, {closedSite, dir, file, fromMap}},
        {C::Delete, {plain, folder, free, closedSite, map}, {none, dir, file, fromMap}},
        {C::GetNewDataFile, {folder, free, map}, {none, plain, closedSite, dir, file}},
        {C::Upload, {closedSite, openSite, dir, file}, {none, plain, folder, free}},
        {C::UploadFile, {openSite, emptySite, dir, file}, {none, plain, closedSite, free}},
        {C::UpdateMapFile, {map}, {none, mapNoPath, free, folder}},
        {C::OpenSite, {plain, closedSite, free}, {none, openSite, dir}},
        {C::Refresh, {plain, openSite, dir, emptySite, emptyDir}, {none, closedSite, file}},
        {C::CloseSite, {openSite, emptySite}, {none, closedSite, plain, dir, emptyDir}},
        {C::AddFtpServer, {none, file, fromMap}, {}},
        {C::FetchMapFile, {none, plain}, {}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(static_cast<int>(r.command));
        for (TreeItem* t : r.enabled)
            EXPECT_TRUE(IsCommandEnabled(r.command, t)) << (t ? t->Text() : "nothing");
        for (TreeItem* t : r.disabled)
            EXPECT_FALSE(IsCommandEnabled(r.command, t)) << (t ? t->Text() : "nothing");
    }
    EXPECT_EQ(SelectedKind(file), SelectionKind::SiteFile);
    EXPECT_EQ(SelectedKind(map), SelectionKind::MapFile);
    EXPECT_EQ(SelectedKind(dir), SelectionKind::SiteDirectory);
    EXPECT_EQ(SelectedKind(openSite), SelectionKind::Site);
    EXPECT_EQ(SelectedKind(free), SelectionKind::CatalogItem);
    EXPECT_EQ(SelectedKind(plain), SelectionKind::CatalogItem);
    EXPECT_EQ(SelectedKind(none), SelectionKind::CatalogItem);
}

}  // namespace
}  // namespace catalog
