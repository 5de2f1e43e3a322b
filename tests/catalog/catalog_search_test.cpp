// The search behind the tree's filter over a catalog with loaded folders,
// unloaded ones (nesting each other), a malformed and a missing file.
#include "catalog/catalog_search.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "catalog/catalog.h"
#include "catalog_test_util.h"
#include "temp_dir.h"

namespace {

using catalog::CatalogSearch;
using catalog::TreeItem;
using catalogtest::kHeader;

std::string Item(const std::string& location, const std::string& description) {
    return location + ":" + description +
           ":0.00:ftp.example.com:/pub/x.zip:01/02/99:10:[default]\n";
}

class CatalogSearchTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_.Write("ambit.amb", std::string(kHeader) +
                                    "CNAME=/All/Tools:Tools.amb:ftp.example.com\n" +
                                    Item("/All/Tools/Zipper", "Packs ARCHIVES fast") +
                                    Item("/All/Tools/Editor", "Edits text") +
                                    Item("/All/Games/Chess \xC3\x84rger", "Board game") +
                                    "CNAME=/All/Later:Later.amb:\n"
                                    "CNAME=/All/Broken:Broken.amb:\n"
                                    "CNAME=/All/Gone:Gone.amb:\n"
                                    "/All/FTP Sites/Mirror:FTPSITE::ftp.m.com:/pub:::anon\n");
        // Later's file names Inner's, which names Later's again.
        dir_.Write("Later.amb", std::string(kHeader) + Item("/All/Later/Rare zip", "Old") +
                                    "CNAME=/All/Later/Inner:Inner.amb:\n");
        dir_.Write("Inner.amb", std::string(kHeader) + Item("/All/Later/Inner/Deep", "A ZIP tool") +
                                    "CNAME=/All/Later/Inner/Loop:Later.amb:\n");
        dir_.Write("Broken.amb",
                   std::string("\x00\xff zip zip\n", 10) + Item("/All/Broken/zip", "zip"));
        catalog_ = std::make_unique<catalog::Catalog>(dir_.Path());
        ASSERT_TRUE(catalog_->LoadMainDataFile());
    }

    // The visible items, one path per line, as a view would walk them.
    std::string Visible(const CatalogSearch& search) const {
        std::string out;
        std::vector<const TreeItem*> stack{catalog_->Tree().Top()};
        while (!stack.empty()) {
            const TreeItem* parent = stack.back();
            stack.pop_back();
            for (int row = parent->ChildCount() - 1; row >= 0; --row) {
                if (!search.Accepts(parent, row)) continue;
                const TreeItem* child = parent->Child(row);
                stack.push_back(child);
            }
            if (parent != catalog_->Tree().Top()) {
                out += catalog::CatalogTree::ItemPath(parent);
                if (search.IsMatch(parent)) out += " *";
                if (size_t n = search.UnloadedMatches(parent)) out += " +" + std::to_string(n);
                out += "\n";
            }
        }
        return out;
    }

    std::map<std::string, std::filesystem::file_time_type> Files() const {
        std::map<std::string, std::filesystem::file_time_type> files;
        for (const auto& f : std::filesystem::directory_iterator(dir_.Path()))
            files[f.path().filename().string()] = f.last_write_time();
        return files;
    }

    testsupport::TempDir dir_;
    std::unique_ptr<catalog::Catalog> catalog_;
};

TEST_F(CatalogSearchTest, KeepsMatchesAndTheFoldersOnTheWay) {
    struct Case {
        const char* text;
        bool unloaded;
        const char* visible;
        size_t matches, unloadedMatches;
    } cases[] = {
        // By name, in any case; the description of a folder ("NONE") or a
        // site ("FTPSITE") is not text.
        {"zip", false, "/All\n/All/Tools\n/All/Tools/Zipper *\n", 1, 0},
        {"ZIP", false, "/All\n/All/Tools\n/All/Tools/Zipper *\n", 1, 0},
        {"none", false, "", 0, 0},
        {"ftpsite", false, "", 0, 0},
        // By description, and by a folder's own name with its children hidden.
        {"archives", false, "/All\n/All/Tools\n/All/Tools/Zipper *\n", 1, 0},
        {"tools", false, "/All\n/All/Tools *\n", 1, 0},
        // Latin-1 letters fold too.
        {"\xC3\xA4rg", false, "/All\n/All/Games\n/All/Games/Chess \xC3\x84rger *\n", 1, 0},
        // Unloaded files, nested and naming each other, count each file
        // once; malformed and missing files count nothing.
        {"zip", true, "/All\n/All/Later +2\n/All/Tools\n/All/Tools/Zipper *\n", 1, 2},
        {"deep", true, "/All\n/All/Later +1\n", 0, 1},
        {"loop", true, "/All\n/All/Later +1\n", 0, 1},
        {"nothing like it", true, "", 0, 0},
        // Control characters are dropped; an empty needle keeps everything.
        {"\nzip\t", false, "/All\n/All/Tools\n/All/Tools/Zipper *\n", 1, 0},
    };
    const auto before = Files();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        CatalogSearch search(*catalog_);
        search.Search(c.text, c.unloaded);
        EXPECT_EQ(Visible(search), c.visible);
        EXPECT_EQ(search.MatchCount(), c.matches);
        EXPECT_EQ(search.UnloadedMatchCount(), c.unloadedMatches);
    }
    // Searching the files changed nothing: no item, no flag, no file.
    EXPECT_FALSE(catalog_->Changed());
    EXPECT_EQ(Files(), before);
    EXPECT_EQ(catalog_->Tree().RootItem()->ChildCount(), 6);
}

TEST_F(CatalogSearchTest, TypingAndErasingFindWhatAFreshSearchFinds) {
    CatalogSearch typed(*catalog_);
    for (const char* text : {"e", "ed", "edi", "ed", "d", "dit", "", "z", "zi", "ip", "zip"}) {
        SCOPED_TRACE(text);
        typed.Search(text, true);
        CatalogSearch fresh(*catalog_);
        fresh.Search(text, true);
        EXPECT_EQ(Visible(typed), Visible(fresh));
        EXPECT_EQ(typed.UnloadedMatchCount(), fresh.UnloadedMatchCount());
    }
}

TEST_F(CatalogSearchTest, FollowsTheTreeAndTheFilesAsTheyChange) {
    CatalogSearch search(*catalog_);
    search.Search("zip", true);
    TreeItem* later = catalog_->Tree().FindChild(catalog_->Tree().RootItem(), "Later");
    ASSERT_TRUE(later);
    // Loading the folder moves its matches from the file into the tree;
    // until the search runs again every row shows, none is lost.
    ASSERT_TRUE(catalog_->LoadFolderContents(later));
    EXPECT_FALSE(search.Current());
    EXPECT_TRUE(search.Accepts(later, 0));
    // Inner's file holds one, and its Loop names Later's file again.
    search.Refresh();
    EXPECT_EQ(Visible(search),
              "/All\n/All/Later\n/All/Later/Inner +2\n/All/Later/Rare zip *\n"
              "/All/Tools\n/All/Tools/Zipper *\n");
    EXPECT_EQ(search.UnloadedMatchCount(), 2u);

    // A file rewritten on disk is read again by the next new word.
    dir_.Write("Inner.amb", std::string(kHeader) + Item("/All/Later/Inner/Fresh", "New"));
    std::filesystem::last_write_time(
        dir_.File("Inner.amb"),
        std::filesystem::file_time_type::clock::now() + std::chrono::hours(1));
    search.Search("fresh", true);
    EXPECT_EQ(Visible(search), "/All\n/All/Later\n/All/Later/Inner +1\n");
}

}  // namespace
