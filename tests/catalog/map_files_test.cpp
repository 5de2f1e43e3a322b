// Map files without a network: listing, opening, merging (recorded as a
// source and removed again), fetching and server folders.
#include "catalog/map_files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "catalog/catalog.h"
#include "catalog/command_rules.h"
#include "catalog/data_file_format.h"
#include "catalog_test_util.h"
#include "directory_fetcher.h"
#include "platform/prompt.h"
#include "scripted_prompt.h"
#include "temp_dir.h"

namespace catalog {
namespace {

namespace fs = std::filesystem;
using catalogtest::kHeader;

std::string MapHeader(const std::string& keys) {
    return "%Internet Ambit Data File %ver=\"1.0\" " + keys + "\n";
}

const std::string kTools = MapHeader(
                               "%name=\"Tools\" %addr=\"127.0.0.1\" "
                               "%path=\"/pub/maps/x.amb\"") +
                           "CNAME=/All/Zip:Zip.amb:h\n/All/Zip/unzip:d:0.00:h:/u.zip:::x\n";

struct Fixture {
    testsupport::TempDir data, server;
    platform::ScriptedPrompt prompt;
    platform::ScopedPrompt scoped{&prompt};
    testsupport::DirectoryFetcher fetcher{server.Path()};
    Catalog catalog{data.Path()};
    MapFiles maps{catalog};

    Fixture() {
        catalog.SetFetcher(&fetcher);
        catalog.InsertRootItems("map.invalid", "PW");
    }
    TreeItem* At(const std::string& path) { return catalogtest::At(catalog, path); }
    std::vector<std::string> Children(const std::string& path) {
        std::vector<std::string> out;
        if (TreeItem* t = At(path))
            for (int i = 0; i < t->ChildCount(); ++i) out.push_back(t->Child(i)->Text());
        return out;
    }
    // A map file in MapFiles, listed and opened the way the window does.
    TreeItem* Listed(const std::string& file, const std::string& content) {
        data.Write("MapFiles/" + file, content);
        if (TreeItem* folder = At("/All/MapFiles")) catalog.Tree().DeleteSubtree(folder, true);
        maps.BuildMapFilesFolder();
        return At("/All/MapFiles/" + NameFromLocation(HeaderValue(content, kNameKey)));
    }
    std::vector<int> Slots() {
        std::vector<int> out;
        for (auto& [slot, line] : catalog.ListSources()) out.push_back(slot);
        return out;
    }
};

TEST(MapFiles, TheFolderListsEachFileByItsNameAndOpensItOnce) {
    Fixture f;
    f.data.Write("MapFiles/x.amb", kTools);
    f.data.Write("MapFiles/plain.amb", std::string(kHeader) + "/All/p:d:::::: \n");
    f.data.Write("MapFiles/slash.amb", MapHeader("%name=\"A/B\""));
    fs::create_directories(f.data.File("MapFiles/sub"));
    EXPECT_EQ(f.maps.BuildMapFilesFolder(), 3u);
    EXPECT_EQ(f.Children("/All/MapFiles"), (std::vector<std::string>{"A_B", "plain.amb", "Tools"}));
    TreeItem* tools = f.At("/All/MapFiles/Tools");
    ASSERT_NE(tools, nullptr);
    EXPECT_EQ(tools->Entry()->Location, "/All/MapFiles/x.amb");
    EXPECT_EQ(tools->Entry()->DownloadDir, "x.amb");
    EXPECT_TRUE(IsCommandEnabled(CatalogCommand::UpdateMapFile, tools));
    EXPECT_FALSE(IsCommandEnabled(CatalogCommand::UpdateMapFile, f.At("/All/MapFiles/plain.amb")));

    // Opening shows the contents below the item, kept apart from the
    // catalog: they are not editable and leave its content date alone.
    std::istringstream main{"%Internet Ambit Data File %ver=\"1.0\"  %CCon=\"07/17/96\"\n"};
    f.catalog.ReadDataFile(main, "", 0);
    ASSERT_TRUE(f.maps.OpenMapFile(tools));
    EXPECT_FALSE(f.maps.OpenMapFile(tools)) << "an opened file is not read again";
    TreeItem* unzip = f.At("/All/MapFiles/Tools/All/Zip/unzip");
    ASSERT_NE(unzip, nullptr);
    EXPECT_EQ(unzip->Entry()->Location, "/All/MapFiles/Tools/All/Zip/unzip");
    EXPECT_EQ(unzip->Entry()->MapFileId, kMapFileContentId);
    for (CatalogCommand c :
         {CatalogCommand::Add, CatalogCommand::NewFolder, CatalogCommand::Delete})
        EXPECT_FALSE(IsCommandEnabled(c, unzip));
    EXPECT_EQ(f.catalog.ContentDateText(), "07/17/96");
    EXPECT_EQ(f.At("/All/Zip"), nullptr);
}

struct MergeCase {
    const char* what;
    std::vector<bool> answers;  // merge?, delete the file?
    bool fileThere;
    MapFiles::MergeResult result;
    bool merged, fileKept, itemKept;
};

TEST(MapFiles, MergeCopiesTheEntriesAndOffersToDeleteTheFile) {
    using R = MapFiles::MergeResult;
    const std::vector<MergeCase> cases = {
        {"declined", {false}, true, R::Declined, false, true, true},
        {"kept", {true, false}, true, R::Kept, true, true, true},
        {"deleted", {true, true}, true, R::Deleted, true, false, false},
        {"unreadable", {true}, false, R::Failed, false, false, true},
    };
    for (const MergeCase& c : cases) {
        Fixture f;
        TreeItem* item = f.Listed("x.amb", kTools);
        ASSERT_NE(item, nullptr);
        f.maps.OpenMapFile(item);
        if (!c.fileThere) fs::remove(f.data.File("MapFiles/x.amb"));
        for (bool a : c.answers) f.prompt.Answer(a);
        EXPECT_EQ(f.maps.Merge(item), c.result) << c.what;
        TreeItem* merged = f.At("/All/Zip/unzip");
        EXPECT_EQ(merged != nullptr, c.merged) << c.what;
        if (merged) {
            EXPECT_EQ(merged->Entry()->MapFileId, 1) << c.what;
        }
        EXPECT_EQ(fs::exists(f.data.File("MapFiles/x.amb")), c.fileKept) << c.what;
        EXPECT_EQ(f.At("/All/MapFiles/Tools") != nullptr, c.itemKept) << c.what;
        if (c.itemKept && c.fileThere) {
            EXPECT_NE(f.At("/All/MapFiles/Tools/All/Zip/unzip"), nullptr) << c.what;
        }
        EXPECT_EQ(f.Slots(), c.merged ? std::vector<int>{1} : std::vector<int>{}) << c.what;
        EXPECT_EQ(f.prompt.Messages(),
                  c.fileThere ? std::vector<std::string>{}
                              : std::vector<std::string>{"Could not open .amb file for reading"})
            << c.what;
    }
}

TEST(MapFiles, MergingAgainAddsNoCopies) {
    Fixture f;
    TreeItem* item = f.Listed("x.amb", kTools);
    for (int i = 0; i < 3; ++i) {
        f.prompt.Answer(true);
        f.prompt.Answer(false);
        ASSERT_EQ(f.maps.Merge(item), MapFiles::MergeResult::Kept);
    }
    EXPECT_EQ(f.Children("/All"), (std::vector<std::string>{"Ambit", "MapFiles", "Zip"}));
    EXPECT_EQ(f.Children("/All/Zip"), std::vector<std::string>{"unzip"});
    auto sources = f.catalog.ListSources();
    ASSERT_EQ(sources.size(), 3u);
    EXPECT_EQ(sources[2], std::make_pair(3, std::string("Tools\t127.0.0.1\t/pub/maps/x.amb")));
}

// Three merged files, saved: the index and hosts.dat describe exactly the
// merged files, change only with a save, and a removal after a restart goes
// by slot number, not by the line's place in the list.
TEST(MergedSources, RemovalsGoBySlotAndReachTheFilesWithASave) {
    Fixture f;
    for (const char* name : {"a", "b", "c"}) {
        TreeItem* item =
            f.Listed(std::string(name) + ".amb", MapHeader(std::string("%name=\"") + name + "\"") +
                                                     "/All/" + name + "/" + name + "1:d:::::: \n");
        f.prompt.Answer(true);
        f.prompt.Answer(false);
        ASSERT_EQ(f.maps.Merge(item), MapFiles::MergeResult::Kept);
    }
    // A site keeps its listing state in the id field: it is no merged entry.
    CEntry site = catalogtest::Entry("/All/FTP Sites/S", kFtpSiteDescription);
    site.MapFileId = 22000;
    f.catalog.Tree().InsertEntry(site);
    ASSERT_TRUE(f.catalog.SaveCatalog());
    const std::string index = "1:/All/a/a1\n2:/All/b/b1\n3:/All/c/c1\n";
    EXPECT_EQ(f.data.Read("hdata.dat"), index);
    EXPECT_EQ(f.data.Read("hosts.dat"), "a:::0:a.amb\nb:::0:b.amb\nc:::0:c.amb\n");
    auto restarted = [&f] {
        auto c = std::make_unique<Catalog>(f.data.Path());
        c->InsertRootItems("map.invalid", "PW");
        EXPECT_TRUE(c->LoadMainDataFile());
        return c;
    };

    ASSERT_TRUE(f.catalog.RemoveMergedEntries(2));
    EXPECT_EQ(f.At("/All/b/b1"), nullptr);
    EXPECT_EQ(f.Slots(), (std::vector<int>{1, 3}));
    EXPECT_EQ(f.data.Read("hdata.dat"), index);
    EXPECT_EQ(restarted()->ListSources().size(), 3u) << "not saved: all three come back";

    ASSERT_TRUE(f.catalog.SaveCatalog());
    EXPECT_EQ(f.data.Read("hdata.dat"), "1:/All/a/a1\n3:/All/c/c1\n");
    EXPECT_EQ(f.data.Read("hosts.dat"), "a:::0:a.amb\nb:::1:b.amb\nc:::0:c.amb\n");
    auto c = restarted();
    auto sources = c->ListSources();
    ASSERT_EQ(sources.size(), 2u);
    EXPECT_EQ(sources[1].first, 3);
    ASSERT_TRUE(c->RemoveMergedEntries(sources[1].first));
    EXPECT_NE(catalogtest::At(*c, "/All/a/a1"), nullptr);
    EXPECT_EQ(catalogtest::At(*c, "/All/c/c1"), nullptr);
}

TEST(MapFiles, OnlyAPathEndingInAPlainFileNameIsFetched) {
    const std::vector<std::string> refused = {"/pub/..", "/pub/", "..", "/pub/maps/."};
    for (const std::string& path : refused) {
        Fixture f;
        EXPECT_FALSE(f.maps.FetchMapFile("127.0.0.1", path)) << path;
        EXPECT_TRUE(f.fetcher.requests.empty()) << path;
        ASSERT_EQ(f.prompt.Messages().size(), 1u) << path;
        EXPECT_NE(f.prompt.Messages()[0].find("\"" + path + "\""), std::string::npos);
    }
}

TEST(MapFiles, ServerFoldersGoBelowTheSelectedFolderAndAreSaved) {
    struct Case {
        const char* selected;  // "" for no selection
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"/All/Tools", "/All/Tools/Srv"},
        {"/All/Tools/zip", "/All/Tools/Srv"},
        {"", "/All/Srv"},
        {"/All/MapFiles", "/All/Srv"},
        {"/All/MapFiles/Tools/All/Zip/unzip", "/All/Srv"},
    };
    for (const Case& c : cases) {
        Fixture f;
        f.maps.OpenMapFile(f.Listed("x.amb", kTools));
        std::istringstream in{std::string(kHeader) + "CNAME=/All/Tools:Tools.amb:h\n" +
                              "/All/Tools/zip:d:::::: \n"};
        f.catalog.ReadDataFile(in, "", 0);
        TreeItem* selected = *c.selected ? f.At(c.selected) : nullptr;
        TreeItem* item = f.maps.AddServerFolder(selected, "Srv", "maps.example.org", "/pub/a.adf");
        ASSERT_NE(item, nullptr) << c.selected;
        EXPECT_EQ(item->Entry()->Location, c.expected);
        EXPECT_EQ(CatalogTree::ItemPath(item), c.expected);
        EXPECT_EQ(item->Entry()->Address, "maps.example.org/pub/a.adf");
        EXPECT_TRUE(item->Entry()->IsFolder());
        ASSERT_TRUE(f.catalog.SaveCatalog());
        std::string saved = f.data.Read("ambit.amb") + f.data.Read("Tools.amb");
        EXPECT_NE(saved.find(std::string("CNAME=") + c.expected + "::maps.example.org/pub/a.adf"),
                  std::string::npos)
            << saved;
    }
}

}  // namespace
}  // namespace catalog
