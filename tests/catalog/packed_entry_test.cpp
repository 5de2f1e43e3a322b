// Items read from data files stay packed as their lines until asked for.
// Nothing may tell a packed item from an unpacked one: the entry it unpacks
// to, the bytes a save writes and the skipping of entries a folder already
// holds (removal: merged_sources_test).
#include <gtest/gtest.h>

#include <sstream>

#include "catalog/catalog.h"
#include "catalog/data_file_format.h"
#include "catalog_test_util.h"

namespace catalog {
namespace {

using catalogtest::Dump;
using catalogtest::kHeader;

using Fixture = catalogtest::CatalogFixture;

// The one catalog item (not a folder, not the built-in site) read.
TreeItem* OnlyItem(Catalog& c) {
    std::vector<TreeItem*> items;
    for (TreeItem* t : catalogtest::Items(c.Tree().Top()))
        if (t->Kind() == EntryKind::Item) items.push_back(t);
    EXPECT_EQ(items.size(), 1u);
    return items.empty() ? nullptr : items[0];
}

// Every field of an entry, to compare entries whole.
std::vector<std::string> Fields(const CEntry& e) {
    return {e.Name, e.Location, e.Description, e.Price,       e.Address,
            e.Path, e.Date,     e.Size,        e.DownloadDir, std::to_string(e.MapFileId)};
}

struct LineCase {
    const char* line;
    const char* prefix;
    const char* saved;  // the item line a save writes, without its line end
};

// Lines whose fields need mending on save or are cut short, with and
// without a prefix (which may hold a colon of its own).
const LineCase kLines[] = {
    {"/All/T/a b:Desc:1.50:ftp.h:/p/a.zip:07/01/96:100:[default]", "",
     "/All/T/a b:Desc:1.50:ftp.h:/p/a.zip:07/01/96:100:[default]"},
    {"/All/T/free:d::h:/p:::[default]", "", "/All/T/free:d:0.00:h:/p:::[default]"},
    {"/All/T/cr:de\rsc::h\r:/p:::x\ry", "", "/All/T/cr:de sc:0.00:h :/p:::x y"},
    {"/All/T/dl:d::h:/p:::C:\\dl:x", "", "/All/T/dl:d:0.00:h:/p:::C:\\dl:x"},
    {"/All/T/short:only two", "", "/All/T/short::0.00:::::only two"},
    {"  \t/All/T/lead:d:::::: ", "", "/All/T/lead:d:0.00::::: "},
    {"/y:d::::::", "/All/Re: x", "/All/Re; x/y:d:0.00:::::"},
    {"Tools/z:d::::::", "/All/MapFiles", "/All/MapFilesTools/z:d:0.00:::::"},
};

TEST(PackedEntry, UnpacksAndSavesAsTheLineParsedIntoAnEntry) {
    for (const LineCase& c : kLines) {
        SCOPED_TRACE(c.line);
        Fixture f;
        auto packed = f.Read(std::string(c.line) + "\n", c.prefix, 7);
        TreeItem* item = OnlyItem(*packed);
        ASSERT_TRUE(item && item->Packed()) << "read lines stay packed";
        EXPECT_EQ(item->EntryMapFileId(), 7);
        std::string savedPacked = f.Saved(*packed);
        EXPECT_NE(savedPacked.find(std::string("\n") + c.saved + "\n"), std::string::npos)
            << savedPacked;

        auto unpacked = f.Read(std::string(c.line) + "\n", c.prefix, 7);
        item = OnlyItem(*unpacked);
        const CEntry* e = item->Entry();
        ASSERT_NE(e, nullptr);
        EXPECT_FALSE(item->Packed()) << "unpacked once, then the entry is kept";
        CEntry want = *ParseDataLine(c.line, c.prefix);
        want.MapFileId = 7;
        EXPECT_EQ(Fields(*e), Fields(want));
        EXPECT_EQ(item->Text(), want.Name);
        EXPECT_EQ(f.Saved(*unpacked), savedPacked);
    }
}

// A folder's contents file read into a folder that holds some of its
// entries already: equal entries are skipped, a same-named different one
// is not, whether the entries there are packed or unpacked.
TEST(PackedEntry, FolderContentsSkipEntriesTheFolderHolds) {
    for (bool unpack : {false, true}) {
        Fixture f;
        f.dir.Write("Tools.amb", std::string(kHeader) +
                                     "/All/Tools/zip:Packer:0.00:h:/z.zip:::[default]\n"
                                     "/All/Tools/tar:Archiver:0.00:h:/t.tar:::[default]\n"
                                     "/All/Tools/new:New:0.00:h:/n:::[default]\n");
        auto cat = f.Read(
            "CNAME=/All/Tools:Tools.amb:h\n"
            "/All/Tools/zip:Packer:0.00:h:/z.zip:::[default]\n"
            "/All/Tools/tar:Other archiver:0.00:h:/t.tar:::[default]\n");
        if (unpack) catalogtest::UnpackAll(cat->Tree().Top());
        TreeItem* tools = cat->Tree().FindChild(cat->Tree().RootItem(), "Tools");
        ASSERT_TRUE(cat->LoadFolderContents(tools));
        EXPECT_EQ(Dump(tools),
                  "new @/All/Tools/new\ntar @/All/Tools/tar\ntar @/All/Tools/tar\n"
                  "zip @/All/Tools/zip\n")
            << unpack;
    }
}

TEST(PackedEntry, ReplacingAPackedEntryHandsBackTheWholeEntry) {
    Fixture f;
    auto cat = f.Read("/All/T/a:Desc:2.00:h:/p:01/02/97:9:dir\n", "", 4);
    TreeItem* item = OnlyItem(*cat);
    ASSERT_NE(item, nullptr);
    auto fresh = std::make_unique<CEntry>();
    fresh->Name = "a";
    fresh->Location = "/All/T/a";
    std::unique_ptr<CEntry> old = cat->Tree().ReplaceEntry(item, std::move(fresh));
    ASSERT_NE(old, nullptr);
    EXPECT_EQ(old->Description, "Desc");
    EXPECT_EQ(old->MapFileId, 4);
    EXPECT_FALSE(item->Packed());
    EXPECT_EQ(item->Entry()->Description, "");
}

}  // namespace
}  // namespace catalog
