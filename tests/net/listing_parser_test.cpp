// Real listing lines of several server types, with the entry each must give,
// and hostile input that must give nothing or something harmless.
#include "net/listing_parser.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace net {
namespace {

struct LineCase {
    std::string server;
    std::string line;
    bool accepted;
    ListedKind kind;
    std::string name, target, size, date;
};

constexpr ListedKind D = ListedKind::Directory;
constexpr ListedKind F = ListedKind::File;
constexpr ListedKind L = ListedKind::Link;

// Lines recorded from real servers (data/listing_lines.txt, tab-separated).
std::vector<LineCase> RecordedLines() {
    std::ifstream in(AMBIT_TEST_DATA_DIR "/listing_lines.txt");
    std::vector<LineCase> cases;
    std::string row;
    while (std::getline(in, row)) {
        if (row.empty() || row[0] == '#') continue;
        std::vector<std::string> f;
        for (size_t start = 0;;) {
            size_t tab = row.find('\t', start);
            f.push_back(row.substr(start, tab - start));
            if (tab == std::string::npos) break;
            start = tab + 1;
        }
        if (f.size() != 7) {
            ADD_FAILURE() << "bad data row: " << row;
            continue;
        }
        ListedKind kind = f[2] == "D" ? D : f[2] == "L" ? L : F;
        cases.push_back({f[0], f[1], true, kind, f[3], f[4], f[5], f[6]});
    }
    return cases;
}

// Quirks and hostile lines. The clock is fixed at July 2026.
const LineCase kLines[] = {
    {"ls -l", "-rw-r--r-- 1 ftp ftp 1024 Jul 17 10:04 a.zip", true, F, "a.zip", "", "1024",
     "Jul/17/26"},
    {"CR line end", "drwxr-xr-x   2 user     group        4096 Mar 02  2019 old stuff\r", true, D,
     "old stuff", "", "4096", "Mar/02/19"},
    {"inner blanks kept", "-rw-r--r-- 1 a b 3 Jul 1 2001 two  blanks  inside  ", true, F,
     "two  blanks  inside", "", "3", "Jul/1/01"},
    {"no group column", "-rw-r--r--   1 owner  2048 Feb 10 2020 nogroup.txt", true, F,
     "nogroup.txt", "", "2048", "Feb/10/20"},
    {"link without blanks", "lrwxrwxrwx 1 a b 3 Jul 1 2001 cur->releases/5", true, L, "cur",
     "releases/5", "3", "Jul/1/01"},
    {"link target hidden", "lrwxrwxrwx 1 a b 3 Jul 1 2001 latest", true, L, "latest", "latest", "3",
     "Jul/1/01"},
    {"later month is last year's", "-rw-r--r-- 1 a b 3 Aug 1 10:04 f", true, F, "f", "", "3",
     "Aug/1/25"},
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

TEST(ListingParser, EveryLineGivesItsEntryOrNothing) {
    std::vector<LineCase> cases = RecordedLines();
    EXPECT_GE(cases.size(), 10u) << "the recorded lines were not found";
    cases.insert(cases.end(), std::begin(kLines), std::end(kLines));
    ListingParser parser(2026, 7);
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.server + ": " + c.line);
        ListedLine e;
        bool accepted = parser.ParseLine(c.line, e);
        ASSERT_EQ(accepted, c.accepted);
        if (!accepted) continue;
        EXPECT_EQ(e.kind, c.kind);
        EXPECT_EQ(e.name, c.name);
        EXPECT_EQ(e.linkTarget, c.target);
        EXPECT_EQ(e.size, c.size);
        EXPECT_EQ(e.date, c.date);
    }
}

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
    // vsftpd lists the link that led to a file beside the file itself.
    EXPECT_FALSE(parser.TargetListingIsDirectory(
        "lrwxrwxrwx 1 0 0 10 Dec 06 20:00 link.txt -> readme.txt\r\n"
        "-rw-r--r-- 1 0 0 6 Dec 06 20:00 readme.txt\r\n",
        "readme.txt"));
    // Nothing listed proves no directory.
    EXPECT_FALSE(parser.TargetListingIsDirectory("", "gone"));
}

}  // namespace
}  // namespace net
