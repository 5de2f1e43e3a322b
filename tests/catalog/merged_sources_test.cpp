// Entries of merged files: the index records them on save, removal takes
// them out of the tree and the index; and the merged-source table with
// its file hosts.dat.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "catalog/catalog.h"
#include "catalog/source_table.h"
#include "catalog_test_util.h"
#include "platform/prompt.h"
#include "scripted_prompt.h"
#include "temp_dir.h"

namespace catalog {
namespace {

using catalogtest::Dump;
using catalogtest::kHeader;

// Removal by the current id walks the tree; removal by an older id uses the
// locations in the index. Both must find entries whether still packed as
// their lines or unpacked.
TEST(MergedEntries, IndexRecordsThemAndRemovalTakesThemOut) {
    for (bool unpack : {false, true}) {
        SCOPED_TRACE(unpack ? "unpacked" : "packed");
        catalogtest::CatalogFixture f;
        auto cat = f.Read("/All/Mine/a:d:::::: \n");
        Catalog& c = *cat;
        std::istringstream three{std::string(kHeader) +
                                 "/All/Mine/m3:d:::::: \n/All/Other/m3b:d:::::: \n"};
        c.ReadDataFile(three, "", 3);
        std::istringstream five{std::string(kHeader) + "/All/Mine/m5:d:::::: \n"};
        c.ReadDataFile(five, "", 5);
        EXPECT_EQ(c.CurrentMergedId(), 5);
        if (unpack) catalogtest::UnpackAll(c.Tree().Top());
        f.dir.Write("hdata.dat", "7:/All/Gone\n");
        ASSERT_TRUE(c.SaveCatalog());
        ASSERT_TRUE(c.SaveCatalog());  // a second save adds no duplicate lines
        const std::string index = "7:/All/Gone\n3:/All/Mine/m3\n5:/All/Mine/m5\n3:/All/Other/m3b\n";
        EXPECT_EQ(f.dir.Read("hdata.dat"), index);

        // Removed from the tree at once, from the index with the next save.
        ASSERT_TRUE(c.RemoveMergedEntries(3));
        EXPECT_EQ(f.dir.Read("hdata.dat"), index);
        ASSERT_TRUE(c.SaveCatalog());
        EXPECT_EQ(f.dir.Read("hdata.dat"), "7:/All/Gone\n5:/All/Mine/m5\n");
        EXPECT_EQ(Dump(c.Tree()),
                  "All -\n  Ambit @/All/Ambit\n  Mine -\n    a @/All/Mine/a\n"
                  "    m5 @/All/Mine/m5\n  Other -\n");
        // The current id: removed by id, even without index lines.
        c.SetChanged();
        f.dir.Write("hdata.dat", "");
        ASSERT_TRUE(c.RemoveMergedEntries(5));
        EXPECT_EQ(catalogtest::At(c, "/All/Mine/m5"), nullptr);
        EXPECT_NE(catalogtest::At(c, "/All/Mine/a"), nullptr);
        EXPECT_TRUE(f.prompt.Shown().empty());
    }
}

TEST(MergedEntries, AnUnreadableIndexIsReportedAndAMissingOneIsNoIndexYet) {
    testsupport::TempDir dir;
    platform::ScriptedPrompt prompt;
    platform::ScopedPrompt scoped(&prompt);
    Catalog c(dir.Path());
    std::istringstream in{std::string(kHeader) + "/All/m:d:::::: \n"};
    c.ReadDataFile(in, "", 2);
    std::filesystem::create_directory(dir.File("hdata.dat"));
    EXPECT_FALSE(c.RemoveMergedEntries(2));
    EXPECT_EQ(prompt.Messages(), std::vector<std::string>{"Could not open local file"});
    EXPECT_EQ(c.Tree().ItemCount(), 2u);
    std::filesystem::remove(dir.File("hdata.dat"));
    EXPECT_TRUE(c.RemoveMergedEntries(2)) << "merged and removed before any save";
    EXPECT_EQ(c.Tree().ItemCount(), 1u);
    EXPECT_TRUE(c.Changed());
}

TEST(SourceTable, DeletedSourcesAreKeptInTheFileButNotListed) {
    testsupport::TempDir dir;
    SourceTable t;
    ASSERT_TRUE(t.Save(dir.Path()));
    EXPECT_EQ(dir.Read("hosts.dat"), "");
    EXPECT_EQ(t.Add("tools.amb", "ftp.a.com", "/pub/tools.amb", "a:b:c"), 1);
    EXPECT_EQ(t.Add("games.amb", "ftp.b.com", "/pub/games.amb", ""), 2);
    EXPECT_TRUE(t.MarkDeleted("tools.amb", "ftp.a.com"));
    EXPECT_FALSE(t.MarkDeleted("tools.amb", "elsewhere"));
    ASSERT_TRUE(t.Save(dir.Path()));
    EXPECT_EQ(
        dir.Read("hosts.dat"),
        "tools.amb:ftp.a.com:/pub/tools.amb:1:a:b:c\ngames.amb:ftp.b.com:/pub/games.amb:0:\n");
    SourceTable back;
    back.Load(dir.Path());
    std::vector<std::string> lines;
    back.ListLines(lines);
    EXPECT_EQ(lines, std::vector<std::string>{"games.amb\tftp.b.com\t/pub/games.amb"});
    EXPECT_EQ(back.Slot(1).fifth, "a:b:c");
    ASSERT_NE(back.Restore("tools.amb", "ftp.a.com"), nullptr);
    EXPECT_FALSE(back.Slot(1).deleted);
}

TEST(SourceTable, HandsOutFortyThreeSlotsAndReusesDeletedOnes) {
    SourceTable t;
    // Id 44 marks opened map-file contents: it is never a merged file's.
    for (int i = 1; i <= 43; ++i) ASSERT_EQ(t.Add("f" + std::to_string(i), "h", "p", ""), i);
    EXPECT_EQ(t.Add("full", "h", "p", ""), 0);
    t.MarkDeleted("f17", "h");
    EXPECT_EQ(t.Add("again", "h", "p", ""), 17);
    // Loading reads at most 44 lines; short lines leave fields empty.
    std::string content = "only:two\r\n";
    for (int i = 0; i < 60; ++i) content += "f:s:t:0:rest\n";
    t.Parse(content);
    EXPECT_EQ(t.Slot(1).second, "two");
    EXPECT_EQ(t.Slot(1).third, "");
    EXPECT_EQ(t.Slot(44).fifth, "rest");
    EXPECT_EQ(t.Add("x", "y", "z", ""), 0);
    // Texts cannot break the file's lines.
    SourceTable u;
    EXPECT_EQ(u.Add("a:b", "c\nd", "e", "f\ng"), 1);
    EXPECT_EQ(u.Serialize(), "a;b:c d:e:0:f g\n");
}

}  // namespace
}  // namespace catalog
