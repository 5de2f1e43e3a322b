// Real listing lines of several server types, with the entry each must give,
// and hostile input that must give nothing or something harmless.
#include "net/listing_parser.h"

#include <gtest/gtest.h>

#include <string>

namespace net {
namespace {

struct LineCase {
    const char* server;
    const char* line;
    bool accepted;
    ListedKind kind;
    const char* name;
    const char* target;
    const char* size;
    const char* date;
};

constexpr ListedKind D = ListedKind::Directory;
constexpr ListedKind F = ListedKind::File;
constexpr ListedKind L = ListedKind::Link;

// The clock is fixed at July 2026 for these lines.
const LineCase kLines[] = {
    {"ls -l", "drwxr-xr-x 2 ftp ftp 512 Jul 17 1996 pub", true, D, "pub", "", "512", "Jul/17/96"},
    {"ls -l", "-rw-r--r-- 1 ftp ftp 1024 Jul 17 10:04 a.zip", true, F, "a.zip", "", "1024",
     "Jul/17/26"},
    {"ls -l", "lrwxrwxrwx 1 ftp ftp 7 Jul 17 1996 bin -> usr/bin", true, L, "bin", "usr/bin", "7",
     "Jul/17/96"},
    {"pyftpdlib", "-rw-r--r--   1 user     group        1024 Jul 05 09:30 totals.txt\r", true, F,
     "totals.txt", "", "1024", "Jul/05/26"},
    {"pyftpdlib", "drwxr-xr-x   2 user     group        4096 Mar 02  2019 old stuff\r", true, D,
     "old stuff", "", "4096", "Mar/02/19"},
    // A time of day in a month after this one was last year's.
    {"vsftpd", "-rw-r--r--    1 0        0            1200 Dec 24 18:00 xmas.txt", true, F,
     "xmas.txt", "", "1200", "Dec/24/25"},
    {"inner blanks kept", "-rw-r--r-- 1 a b 3 Jul 1 2001 two  blanks  inside  ", true, F,
     "two  blanks  inside", "", "3", "Jul/1/01"},
    {"no group column", "-rw-r--r--   1 owner  2048 Feb 10 2020 nogroup.txt", true, F,
     "nogroup.txt", "", "2048", "Feb/10/20"},
    {"link without blanks", "lrwxrwxrwx 1 a b 3 Jul 1 2001 cur->releases/5", true, L, "cur",
     "releases/5", "3", "Jul/1/01"},
    {"link target hidden", "lrwxrwxrwx 1 a b 3 Jul 1 2001 latest", true, L, "latest", "latest", "3",
     "Jul/1/01"},
    {"DOS style", "07-17-96  10:04AM       <DIR>          pub", true, D, "pub", "", "",
     "Jul/17/96"},
    {"DOS style", "12-01-2019  03:15PM            123456 Read Me.txt", true, F, "Read Me.txt", "",
     "123456", "Dec/01/19"},
    {"short year column", "-rw-r--r-- 1 a b 1 Jul 1 7 odd", true, F, "odd", "", "1", "Jul/1/7"},
    {"total header", "total 12", false, F, "", "", "", ""},
    {"total header CR", "total 4096\r", false, F, "", "", "", ""},
    {"dot", "drwxr-xr-x 2 ftp ftp 512 Jul 17 1996 .", false, F, "", "", "", ""},
    {"empty", "", false, F, "", "", "", ""},
    {"blank", "   \r", false, F, "", "", "", ""},
    {"garbage", "hello world", false, F, "", "", "", ""},
    {"slash in name", "-rw-r--r-- 1 a b 3 Jul 1 2001 ../../etc/passwd", false, F, "", "", "", ""},
    {"CR inside name", "-rw-r--r-- 1 a b 3 Jul 1 2001 evil\rname", false, F, "", "", "", ""},
};

class LineTest : public testing::TestWithParam<LineCase> {};

TEST_P(LineTest, GivesTheExpectedEntry) {
    const LineCase& c = GetParam();
    ListingParser parser(2026, 7);
    ListedLine e;
    bool accepted = parser.ParseLine(c.line, e);
    ASSERT_EQ(accepted, c.accepted) << c.server << ": " << c.line;
    if (!accepted) return;
    EXPECT_EQ(e.kind, c.kind);
    EXPECT_EQ(e.name, c.name);
    EXPECT_EQ(e.linkTarget, c.target);
    EXPECT_EQ(e.size, c.size);
    EXPECT_EQ(e.date, c.date);
}

INSTANTIATE_TEST_SUITE_P(ServerLines, LineTest, testing::ValuesIn(kLines));

TEST(ListingParser, OnlyTheHeaderIsSkippedNotNamesContainingTotal) {
    ListingParser parser(2026, 7);
    auto entries = parser.Parse(
        "total 12\r\n"
        "-rw-r--r-- 1 ftp ftp 10 Jul 17 1996 totals.txt\r\n"
        "drwxr-xr-x 2 ftp ftp 512 Jul 17 1996 total\r\n"
        "-rw-r--r-- 1 ftp ftp 10 Jul 17 1996 total 12\r\n");
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name, "totals.txt");
    EXPECT_EQ(entries[1].name, "total");
    EXPECT_EQ(entries[2].name, "total 12");
}

TEST(ListingParser, NulInNamesAndTruncatedLinesGiveNothing) {
    ListingParser parser(2026, 7);
    // A NUL inside a name could be carried by no FTP command.
    auto entries = parser.Parse(std::string("-rw-r--r-- 1 a b 1 Jul 1 2001 nul\0name\r\n", 40) +
                                "-rw-r--r-- 1 a b 1 Jul 1 2001 fine.txt\r\n");
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries.back().name, "fine.txt");
    for (const auto& e : entries) EXPECT_EQ(e.name.find(std::string(1, 0)), std::string::npos);
    // Short and truncated lines never read past their end.
    for (const char* line :
         {"d", "l", "lrwx 1 a b 1 Jul 1 2001 ->", "lrwx 1 a b 1 Jul 1 2001  -> x",
          "-rw 1 a b 1 Jul", "-rw 1 a b 1 Jul 1 2001 ", "12-01-2019  03:15PM"}) {
        ListedLine e;
        EXPECT_FALSE(parser.ParseLine(line, e)) << line;
    }
}

TEST(ListingParser, LinkTargetKindFromItsListing) {
    ListingParser parser(2026, 7);
    // "ls -l" of a directory writes a total header, even when empty.
    EXPECT_TRUE(parser.TargetListingIsDirectory("total 0\r\n", "usr/bin"));
    EXPECT_TRUE(parser.TargetListingIsDirectory("total 8\r\n-rwxr-xr-x 1 a b 10 Jul 1 2001 ls\r\n",
                                                "usr/bin"));
    // Servers without the header: a directory lists its contents...
    EXPECT_TRUE(parser.TargetListingIsDirectory(
        "-rw-r--r-- 1 a b 1 Jul 1 2001 x\r\n-rw-r--r-- 1 a b 1 Jul 1 2001 y\r\n", "data"));
    EXPECT_TRUE(parser.TargetListingIsDirectory("-rw-r--r-- 1 a b 1 Jul 1 2001 inner.txt\r\n",
                                                "releases/5"));
    // ...a file lists itself, by its path or its last component.
    EXPECT_FALSE(parser.TargetListingIsDirectory("-rw-r--r-- 1 a b 1 Jul 1 2001 totals.txt\r\n",
                                                 "docs/totals.txt"));
    EXPECT_FALSE(parser.TargetListingIsDirectory(
        "-rw-r--r-- 1 a b 1 Jul 1 2001 docs/totals.txt\r\n", "docs/totals.txt"));
    // Nothing listed proves no directory.
    EXPECT_FALSE(parser.TargetListingIsDirectory("", "gone"));
}

}  // namespace
}  // namespace net
