// Lines that sit near the boundary between the two forms the parser reads,
// and month columns in any letter case: the parser tells the forms apart
// by the first column before cutting the whole line, and folds month
// letters itself.
#include <gtest/gtest.h>

#include <string>

#include "net/listing_parser.h"

namespace net {
namespace {

struct FormCase {
    const char* why;
    const char* line;
    ListedKind kind;
    const char* name;
    const char* date;
};

// The clock is fixed at July 2026, so a time of day in a later month is
// last year's.
const FormCase kForms[] = {
    {"upper-case month, time of day", "-rw-r--r-- 1 a b 3 AUG 1 10:04 up", ListedKind::File, "up",
     "AUG/1/25"},
    {"lower-case month, time of day", "-rw-r--r-- 1 a b 3 jun 1 10:04 low", ListedKind::File, "low",
     "jun/1/26"},
    {"mixed-case month, no group column", "-rw-r--r-- 1 owner 3 dEc 24 23:59 gift",
     ListedKind::File, "gift", "dEc/24/25"},
    {"not a month", "-rw-r--r-- 1 a b 3 Jux 1 10:04 odd", ListedKind::File, "odd", "Jux/1/26"},
    // Dashes where a DOS date has them, yet a Unix line.
    {"permissions like a date", "dr--r--r-- 2 a b 512 Jul 1 2001 locked", ListedKind::Directory,
     "locked", "Jul/1/01"},
    {"DOS line after blanks", "   07-17-96  10:04PM       <DIR>          pub",
     ListedKind::Directory, "pub", "Jul/17/96"},
    {"DOS file, four-digit year", "01-02-2003  01:00AM  42 a  b.txt", ListedKind::File, "a  b.txt",
     "Jan/02/03"},
};

TEST(ListingLineForms, EachLineIsReadInItsOwnForm) {
    ListingParser parser(2026, 7);
    for (const FormCase& c : kForms) {
        SCOPED_TRACE(std::string(c.why) + ": " + c.line);
        ListedLine e;
        ASSERT_TRUE(parser.ParseLine(c.line, e));
        EXPECT_EQ(e.kind, c.kind);
        EXPECT_EQ(e.name, c.name);
        EXPECT_EQ(e.date, c.date);
    }
}

}  // namespace
}  // namespace net
