// Real listing lines of several server types, with the entry each must give,
// and hostile input that must give nothing or something harmless.
#include "net/listing_parser.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace net {
namespace {

constexpr ListedKind D = ListedKind::Directory;
constexpr ListedKind F = ListedKind::File;
constexpr ListedKind L = ListedKind::Link;

// A row without an entry is a line that must give nothing.
struct LineCase {
    std::string server;
    std::string line;
    bool accepted = false;
    ListedKind kind = F;
    std::string name{}, target{}, size{}, date{};
};

// Lines recorded from real servers (data/listing_lines.txt, tab-separated).
std::vector<LineCase> RecordedLines() {
    std::ifstream in(AMBIT_TEST_DATA_DIR "/listing_lines.txt");
    std::vector<LineCase> cases;
    std::string row;
    while (std::getline(in, row)) {
        if (row.empty() || row[0] == '#') continue;
        std::istringstream fields(row);
        std::vector<std::string> f;
        for (std::string field; std::getline(fields, field, '\t');) f.push_back(field);
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
    {"name is a total header", "-rw-r--r-- 1 a b 10 Jul 1 2001 total 12", true, F, "total 12", "",
     "10", "Jul/1/01"},
    {"total header", "total 12"},
    {"total header CR", "total 4096\r"},
    {"dot", "drwxr-xr-x 2 ftp ftp 512 Jul 17 1996 ."},
    {"empty", ""},
    {"blank", "   \r"},
    {"garbage", "hello world"},
    {"slash in name", "-rw-r--r-- 1 a b 3 Jul 1 2001 ../../etc/passwd"},
    {"CR inside name", "-rw-r--r-- 1 a b 3 Jul 1 2001 evil\rname"},
    {"NUL inside name", std::string("-rw-r--r-- 1 a b 1 Jul 1 2001 nul\0name", 38)},
    // Short and truncated lines never read past their end.
    {"type only", "d"},
    {"link without name", "lrwx 1 a b 1 Jul 1 2001 ->"},
    {"link with blank name", "lrwx 1 a b 1 Jul 1 2001  -> x"},
    {"cut in the date", "-rw 1 a b 1 Jul"},
    {"cut before the name", "-rw 1 a b 1 Jul 1 2001 "},
    {"DOS line cut", "12-01-2019  03:15PM"},
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
    // A whole listing: lines split at CR LF, the header skipped, not names like it.
    std::vector<std::string> names;
    for (const ListedLine& e : parser.Parse("total 12\r\n"
                                            "-rw-r--r-- 1 ftp ftp 10 Jul 17 1996 totals.txt\r\n"
                                            "drwxr-xr-x 2 ftp ftp 512 Jul 17 1996 total\r\n"
                                            "-rw-r--r-- 1 a b 1 Jul 1 2001 fine.txt"))
        names.push_back(e.name);
    EXPECT_EQ(names, (std::vector<std::string>{"totals.txt", "total", "fine.txt"}));
}

TEST(ListingParser, LinkTargetKindFromItsListing) {
    const std::string file = "-rw-r--r-- 1 a b 1 Jul 1 2001 ";
    const struct {
        std::string listing, target;
        bool directory;
    } cases[] = {
        // "ls -l" of a directory writes a total header, even when empty.
        {"total 0\r\n", "usr/bin", true},
        {"total 8\r\n" + file + "ls\r\n", "usr/bin", true},
        // Servers without the header: a directory lists its contents...
        {file + "x\r\n" + file + "y\r\n", "data", true},
        {file + "inner.txt\r\n", "releases/5", true},
        // ...a file lists itself, by its path or its last component.
        {file + "totals.txt\r\n", "docs/totals.txt", false},
        {file + "docs/totals.txt\r\n", "docs/totals.txt", false},
        // A link that led to a file listed beside the file itself.
        {"lrwxrwxrwx 1 0 0 10 Dec 06 20:00 link.txt -> readme.txt\r\n"
         "-rw-r--r-- 1 0 0 6 Dec 06 20:00 readme.txt\r\n",
         "readme.txt", false},
        // Nothing listed proves no directory.
        {"", "gone", false},
    };
    ListingParser parser(2026, 7);
    for (const auto& c : cases)
        EXPECT_EQ(parser.TargetListingIsDirectory(c.listing, c.target), c.directory)
            << c.target << ": " << c.listing;
}

}  // namespace
}  // namespace net
