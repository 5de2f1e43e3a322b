// The line rules of data files, table by table: headers, content dates,
// folder and item lines, and what the writer does with awkward fields.
#include "catalog/data_file_format.h"

#include <gtest/gtest.h>

#include <ctime>

namespace catalog {
namespace {

struct HeaderCase {
    const char* line;
    bool valid;
    const char* date;
};

TEST(DataFileHeader, VersionAndContentDateFollowTheQuotedKeyRule) {
    const HeaderCase cases[] = {
        {"%Internet Ambit Data File %ver=\"1.0\"", true, ""},
        {"%Internet Ambit Data File %ver=\"1.0\"  %CCon=\"07/17/96\"", true, "07/17/96"},
        {"anything at all %ver=\"1.0\"", true, ""},         // words before the key are not checked
        {"%Internet Ambit Data File %ver=1.0", false, ""},  // no quotes: value is not 1.0
        {"%Internet Ambit Data File %ver=\"1.00\"", false, ""},
        {"%Internet Ambit Data File", false, ""},
        {"", false, ""},
        {"%ver=\"1.0", false, ""},                    // no closing quote
        {"%ver=\"1.0\" %CCon=\"12/31/69", true, ""},  // unterminated date reads empty
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(ValidateHeader(c.line), c.valid);
        EXPECT_EQ(HeaderValue(c.line, kContentDateKey), c.date);
    }
}

TEST(DataFileHeader, TwoDigitYearsAreReadAs1970To2069) {
    struct Case {
        const char* text;
        int year, month, day;  // year 0: not a date
    } cases[] = {
        {"07/17/96", 1996, 7, 17}, {"01/01/70", 1970, 1, 1},  {"12/31/69", 2069, 12, 31},
        {"02/29/00", 2000, 2, 29}, {"02/29/99", 0, 0, 0},     {"13/01/96", 0, 0, 0},
        {"7/17/96", 0, 0, 0},      {"07-17-96", 1996, 7, 17}, {"", 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        auto t = ParseContentDate(c.text);
        if (c.year == 0) {
            EXPECT_FALSE(t.has_value());
            continue;
        }
        ASSERT_TRUE(t.has_value());
        std::tm tm{};
        localtime_r(&*t, &tm);
        EXPECT_EQ(tm.tm_year + 1900, c.year);
        EXPECT_EQ(tm.tm_mon + 1, c.month);
        EXPECT_EQ(tm.tm_mday, c.day);
        EXPECT_EQ(tm.tm_hour, 0);
    }
}

// The entry's fields joined by "|": location, description, price,
// address, path, date, size, download directory.
std::string Fields(const CEntry& e) {
    return e.Location + "|" + e.Description + "|" + e.Price + "|" + e.Address + "|" + e.Path + "|" +
           e.Date + "|" + e.Size + "|" + e.DownloadDir;
}

TEST(DataFileLine, FieldsAreCutAtColonsAndTheLastTakesTheRest) {
    const struct {
        const char* line;
        LineKind kind;
        const char* fields;
    } cases[] = {
        {"/All/Tools/zip:Packer:0.00:ftp.a.com:/pub/zip.zip:07/17/96:1200:[default]",
         LineKind::Item,
         "/All/Tools/zip|Packer|0.00|ftp.a.com|/pub/zip.zip|07/17/96|1200|[default]"},
        {"/All/x:d:1.00:h:/p:dt:sz:C:\\Downloads", LineKind::Item,
         "/All/x|d|1.00|h|/p|dt|sz|C:\\Downloads"},
        {"/All/x:d:1.00", LineKind::Item, "/All/x|d||||||1.00"},
        {"no colons at all", LineKind::Item, "|||||||no colons at all"},
        {"   /All/y:d:::::: ", LineKind::Item, "/All/y|d|||||| "},
        {" #not a comment:d:p:a:b:c:e:f", LineKind::Item, "#not a comment|d|p|a|b|c|e|f"},
        {"CNAME=/All/Tools:Tools.amb:ftp.a.com", LineKind::Folder,
         "/All/Tools|NONE|NONE|ftp.a.com|HEADER|||Tools.amb"},
        {"  CNAME=/All/Tools:Tools.amb:host:2121", LineKind::Folder,
         "/All/Tools|NONE|NONE|2121|HEADER|||Tools.amb"},
        {"CNAME=/All/Tools", LineKind::Folder, "/All/Tools|NONE|NONE||HEADER|||"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(ClassifyLine(c.line), c.kind);
        auto e = ParseDataLine(c.line, "");
        ASSERT_TRUE(e.has_value());
        EXPECT_EQ(Fields(*e), c.fields);
        EXPECT_EQ(e->Name, NameFromLocation(e->Location));
    }
    auto e = ParseDataLine("/All/A/x:d:::::: ", "/All/MapFiles/Tools");
    ASSERT_TRUE(e);
    EXPECT_EQ(e->Location, "/All/MapFiles/Tools/All/A/x") << "the prefix goes in front";
    EXPECT_EQ(e->Name, "x");
}

TEST(DataFileLine, FieldsThatWouldBreakTheLineAreMadeHarmless) {
    // A colon in a middle field or a line end anywhere would shift or split
    // the fields on reading; the writer keeps the line structure intact.
    CEntry e;
    e.Description = "first line\nsecond line";
    e.Address = "host:2121";
    e.Path = "/pub/a";
    e.Date = "10:30";
    e.DownloadDir = "/tmp/dl\r\n";
    std::string line;
    AppendItemLine(line, "/All/Re: notes", e, false);
    ASSERT_EQ(line.find('\n'), line.size() - 1);
    line.pop_back();
    auto back = ParseDataLine(line, "");
    ASSERT_TRUE(back);
    EXPECT_EQ(back->Location, "/All/Re; notes");
    EXPECT_EQ(back->Description, "first line second line");
    EXPECT_EQ(back->Address, "host;2121");
    EXPECT_EQ(back->Path, "/pub/a");
    EXPECT_EQ(back->Date, "10;30");
    EXPECT_EQ(back->DownloadDir, "/tmp/dl  ");

    // A site's empty price stays empty: that field is its password.
    CEntry site;
    site.Description = "FTPSITE";
    site.DownloadDir = "anonymous";
    line.clear();
    AppendItemLine(line, "/All/FTP Sites/s", site, true);
    EXPECT_EQ(line, "/All/FTP Sites/s:FTPSITE::::::anonymous\n");
}

}  // namespace
}  // namespace catalog
