// Saving and reading back: a saved catalog reads into the same tree, and a
// save never loses or overwrites what it should keep.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <map>
#include <sstream>

#include "catalog/catalog.h"
#include "catalog/data_file_format.h"
#include "catalog_test_util.h"
#include "file_size_limit.h"

namespace catalog {
namespace {

using catalogtest::Dump;
using catalogtest::kHeader;

using Fixture = catalogtest::CatalogFixture;

using catalogtest::At;
using catalogtest::Entry;

TEST(CatalogSave, SavedCatalogReadsBackIntoTheSameTree) {
    Fixture f;
    // A main file with CRLF line ends and no final one, two folder files.
    for (const char* name : {"ambit.amb", "Tools.amb", "Sub.amb"})
        f.dir.Write(name, catalogtest::ReadTestData(std::string("saved/") + name));
    auto first = f.Open(true);
    std::string before = Dump(first->Tree());
    EXPECT_EQ(first->ContentDate(), ParseContentDate("07/17/96").value_or(0))
        << "folder files kept it";
    EXPECT_NE(before.find("inner"), std::string::npos);
    first->SetChanged();
    ASSERT_TRUE(first->SaveCatalog());
    EXPECT_FALSE(first->Changed());
    EXPECT_EQ(Dump(f.Open(true)->Tree()), before);
    std::string main = f.dir.Read("ambit.amb");
    EXPECT_EQ(main.substr(0, main.find('\n')),
              "%Internet Ambit Data File %ver=\"1.0\"  %CCon=\"07/17/96\"");
    EXPECT_NE(main.find("/All/Readme:Read me:0.00:ftp.a.com:"), std::string::npos) << "empty price";
    EXPECT_NE(main.find("C:\\dl\n"), std::string::npos);
    EXPECT_EQ(main.find("/All/Ambit"), std::string::npos) << "the built-in site is never saved";
    EXPECT_EQ(f.prompt.Shown().size(), 0u);
    // A merged file's header replaces the content date, also with none.
    std::istringstream merged{std::string(kHeader)};
    first->ReadDataFile(merged, "", 0);
    EXPECT_EQ(first->ContentDateText(), "");
}

// The disk fills up while the main file or a folder's file is written: no
// half-saved catalog, no temporary file left, the change still to save.
TEST(CatalogSave, AFailedWriteKeepsEveryOldFile) {
    const std::string oldMain = std::string(kHeader) + "CNAME=/All/Tools:Tools.amb:\n",
                      oldTools = std::string(kHeader) + "/All/Tools/a:d:::::: \n";
    for (const char* big : {"/All/big", "/All/Tools/big"}) {
        SCOPED_TRACE(big);
        Fixture f;
        f.dir.Write("ambit.amb", oldMain);
        f.dir.Write("Tools.amb", oldTools);
        auto c = f.Open(true);
        c->Tree().InsertEntry(Entry(big, std::string(8000, 'x')));
        c->Tree().InsertEntry(Entry("/All/new"));
        c->SetChanged();
        bool ok;
        {
            testsupport::FileSizeLimit limit(4096);
            ok = c->SaveCatalog();
        }
        EXPECT_FALSE(ok);
        EXPECT_TRUE(c->Changed());
        EXPECT_EQ(f.dir.Read("ambit.amb"), oldMain);
        EXPECT_EQ(f.dir.Read("Tools.amb"), oldTools);
        ASSERT_FALSE(f.prompt.Messages().empty());
        EXPECT_NE(f.prompt.Messages()[0].find(".amb"), std::string::npos);
        for (auto& e : std::filesystem::directory_iterator(f.dir.Path()))
            EXPECT_NE(e.path().filename().string()[0], '.') << "temporary file left behind";
    }
}

TEST(CatalogSave, FoldersSharingTheirFirstCharactersGetTheirOwnFiles) {
    Fixture f;
    f.dir.Write("ambit.amb",
                std::string(kHeader) +
                    "CNAME=/All/Utilities1:U1.amb:\nCNAME=/All/Utilities2:U2.amb:\n"
                    "CNAME=/All/Unread:Utilitie.amb:\n"  // an unread folder owns this name
                    "CNAME=/All/ambit:x.amb:\n"
                    "/All/Utilities1/one:d:::::: \n/All/Utilities2/two:d:::::: \n"
                    "/All/ambit/three:d:::::: \n");
    f.dir.Write("Utilitie.amb", std::string(kHeader) + "/All/Unread/kept:d:::::: \n");
    auto c = f.Open();
    ASSERT_TRUE(c->SaveCatalog());
    std::string main = f.dir.Read("ambit.amb");
    EXPECT_NE(main.find("CNAME=/All/Utilities1:Utiliti1.amb:"), std::string::npos) << main;
    EXPECT_NE(main.find("CNAME=/All/Utilities2:Utiliti2.amb:"), std::string::npos) << main;
    EXPECT_NE(main.find("CNAME=/All/Unread:Utilitie.amb:"), std::string::npos) << main;
    EXPECT_NE(main.find("CNAME=/All/ambit:ambit1.amb:"), std::string::npos) << main;
    EXPECT_EQ(f.dir.Read("Utilitie.amb"), std::string(kHeader) + "/All/Unread/kept:d:::::: \n");
    auto back = f.Open(true);
    EXPECT_NE(At(*back, "/All/Utilities1/one"), nullptr);
    EXPECT_NE(At(*back, "/All/Utilities2/two"), nullptr);
    EXPECT_NE(At(*back, "/All/Unread/kept"), nullptr);
    EXPECT_NE(At(*back, "/All/ambit/three"), nullptr);
}

// One change, one save: the files afterwards, whole. Folders that were
// never read, renamed or emptied keep their file's right content; the
// built-in site, map-file contents and live listings are never saved.
TEST(CatalogSave, WhatASaveWritesAfterOneChange) {
    const std::string h = kHeader, tools = h + "CNAME=/All/Tools:Tools.amb:\n",
                      zip = h + "/All/Tools/zip:d:::::: \n";
    struct Case {
        const char* what;
        std::map<std::string, std::string> files;
        bool allFolders;
        std::function<void(Catalog&)> change;
        std::map<std::string, std::string> expected;
    };
    const Case cases[] = {
        {"an unread folder gains children: it is read before its file is rewritten",
         {{"ambit.amb", tools},
          {"Tools.amb", h + "/All/Tools/old:d:::::: \n/All/Tools/dup:d:::::: \n"}},
         false,
         [&](Catalog& c) {
             ASSERT_FALSE(At(c, "/All/Tools")->HasChildren());
             std::istringstream merged(h + "/All/Tools/new:d:::::: \n/All/Tools/dup:d:::::: \n");
             ASSERT_TRUE(c.ReadDataFile(merged, "", 0));
         },
         {{"Tools.amb", h + "/All/Tools/dup:d:0.00::::: \n/All/Tools/new:d:0.00::::: \n"
                            "/All/Tools/old:d:0.00::::: \n"}}},
        {"a renamed unread folder keeps its file name",
         {{"ambit.amb", h + "CNAME=/All/Tools:Tools.amb:host\n"}, {"Tools.amb", zip}},
         false,
         [](Catalog& c) {
             TreeItem* t = At(c, "/All/Tools");
             c.Tree().SetItemText(t, "Gadgets");
             t->Entry()->Name = "Gadgets";
             t->Entry()->Location = "/All/Gadgets";
         },
         {{"ambit.amb", h + "CNAME=/All/Gadgets:Tools.amb:host\n"}, {"Tools.amb", zip}}},
        {"every child of a read folder deleted",
         {{"ambit.amb", tools}, {"Tools.amb", zip}},
         true,
         [](Catalog& c) { c.Tree().DeleteSubtree(At(c, "/All/Tools/zip"), true); },
         {{"ambit.amb", tools}, {"Tools.amb", h}}},
        {"only the built-in site is left out",
         {{"ambit.amb",
           h + "/All/Mine/Ambit:my own:::::: \n/All/FTP Sites/Ambit:FTPSITE::h:/p:::u\n"}},
         false,
         [](Catalog&) {},
         {{"ambit.amb", h + "/All/FTP Sites/Ambit:FTPSITE::h:/p:::u\n"
                            "/All/Mine/Ambit:my own:0.00::::: \n"}}},
        {"map files and live entries are not saved, a user's MapFiles folder is",
         {},
         false,
         [](Catalog& c) {
             c.Tree().InsertEntry(Entry("/All/MapFiles/Tools", "LOCALARF"));
             std::istringstream shown(std::string(kHeader) + "/All/x:d:::::: \n");
             c.ReadDataFile(shown, "/All/MapFiles/Tools", kMapFileContentId);
             c.Tree().InsertEntry(Entry("/All/FTP Sites/S/pub", "", "FTPDIR"));
             c.Tree().InsertEntry(Entry("/All/Stuff/MapFiles/keep"));
         },
         {{"ambit.amb", h + "/All/Stuff/MapFiles/keep::0.00:::::\n"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Fixture f;
        for (const auto& [name, content] : c.files) f.dir.Write(name, content);
        auto cat = f.Open(c.allFolders);
        c.change(*cat);
        cat->SetChanged();
        ASSERT_TRUE(cat->SaveCatalog());
        for (const auto& [name, content] : c.expected) EXPECT_EQ(f.dir.Read(name), content) << name;
    }
}

// A folder name with characters that its line cannot hold still saves its
// items into the file that line names.
TEST(CatalogSave, FolderNamesWithLineEndsOrColonsKeepTheirItems) {
    const std::pair<std::string, std::string> cases[] = {
        {"Two\rLines", "Two Lines"}, {"Two\nLines", "Two Lines"},
        {"Two\r\n", "Two  "},        {"a:b", "a;b"},
        {"Tab\there", "Tab\there"},
    };
    for (const auto& [name, shown] : cases) {
        SCOPED_TRACE(shown);
        Fixture f;
        f.dir.Write("ambit.amb", std::string(kHeader) + "CNAME=/All/Tools:Tools.amb:\n");
        f.dir.Write("Tools.amb", std::string(kHeader) + "/All/Tools/zip:d:::::: \n");
        auto c = f.Open(true);
        TreeItem* tools = At(*c, "/All/Tools");
        c->Tree().SetItemText(tools, name);
        tools->Entry()->Name = name;
        tools->Entry()->Location = "/All/" + name;
        ASSERT_TRUE(c->SaveCatalog());
        auto back = f.Open(true);
        TreeItem* folder = At(*back, "/All/" + shown);
        ASSERT_NE(folder, nullptr) << Dump(back->Tree());
        EXPECT_EQ(folder->ChildCount(), 1) << Dump(back->Tree());
    }
}

}  // namespace
}  // namespace catalog
