// Turns the text of an FTP "LIST" reply into the directories, files and
// links it names. Servers send "ls -l" style lines; the columns are cut at
// blanks from the left so that names keep their inner blanks. The parser
// has no network or tree knowledge so that every server quirk can be tested
// with recorded lines alone.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace net {

enum class ListedKind { Directory, File, Link };

struct ListedLine {
    ListedKind kind = ListedKind::File;
    std::string name;        // for a link, the part before "->"
    std::string linkTarget;  // for a link, the part after "->"; else empty
    std::string size;        // the size column as text
    std::string date;        // "Jul/17/96"
};

class ListingParser {
public:
    // Dates shown as a time of day ("Jul 17 10:04") lie within the last
    // half year; the year is taken from this clock (local time).
    ListingParser();
    // For tests: the current year and month (1-12) to assume.
    ListingParser(int currentYear, int currentMonth);

    // Every usable entry of a listing, in listing order. Lines that name
    // nothing usable ("total N", ".", "..", blank or over-long lines, names
    // that no FTP command could carry) are left out.
    std::vector<ListedLine> Parse(std::string_view listing) const;

    // One line without its line end; false when the line names no entry.
    bool ParseLine(std::string_view line, ListedLine& out) const;

    // One line in the Unix long form only ("ls -l" columns); false for any
    // other form. skiff reads a file's size from this form alone.
    bool ParseUnixLine(std::string_view line, ListedLine& out) const;

    // True for the "total N" header that "ls -l" writes before a directory's
    // entries (never for a name that merely contains the word).
    static bool IsTotalLine(std::string_view line);

    // Whether the listing of a link's target shows a directory: it has a
    // "total N" header, or it lists entries other than the target itself.
    bool TargetListingIsDirectory(std::string_view listing, std::string_view target) const;

    // Lines longer than this are no listing line of any real server; they
    // are dropped rather than turned into giant names.
    static constexpr size_t kMaxLineLength = 4096;

private:
    bool ParseDosLine(std::string_view line, ListedLine& out) const;
    int YearForTimeOfDay(std::string_view month) const;

    int currentYear_;
    int currentMonth_;
};

}  // namespace net
