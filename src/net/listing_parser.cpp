// Column cutting follows "ls -l": permissions, links, owner, group, size,
// month, day, year or time, then the name. Two common departures are also
// read, because otherwise their names come out wrong: lines without a group
// column, and the "MM-DD-YY  HH:MMPM  <DIR>|size  name" form of DOS-style
// servers. Anything else is cut by the nine-column rule without validation.
#include "net/listing_parser.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <ctime>

namespace net {

namespace {

constexpr std::array<std::string_view, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                      "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimLeft(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) ++i;
    return s.substr(i);
}

std::string_view TrimRight(std::string_view s) {
    size_t n = s.size();
    while (n > 0 && IsBlank(s[n - 1])) --n;
    return s.substr(0, n);
}

std::string_view Trim(std::string_view s) { return TrimRight(TrimLeft(s)); }

bool AllDigits(std::string_view s) {
    if (s.empty()) return false;
    for (char c : s)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    return true;
}

// ASCII letters only: listing columns are not in the user's locale, and
// this runs for every line of listings of many thousand lines.
char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// 1-12 for an English month abbreviation in any letter case, else 0.
int MonthNumber(std::string_view s) {
    if (s.size() != 3) return 0;
    const char a = AsciiLower(s[0]), b = AsciiLower(s[1]), c = AsciiLower(s[2]);
    for (size_t i = 0; i < kMonths.size(); ++i) {
        const std::string_view m = kMonths[i];
        if (a == AsciiLower(m[0]) && b == m[1] && c == m[2]) return static_cast<int>(i) + 1;
    }
    return 0;
}

bool IsDay(std::string_view s) { return s.size() <= 2 && AllDigits(s); }

std::string_view LastTwo(std::string_view s) { return s.size() <= 2 ? s : s.substr(s.size() - 2); }

// Columns cut from the left: cols[i] is the i-th column and rests[i] what
// follows it with leading blanks removed.
struct Cuts {
    static constexpr size_t kMax = 8;
    std::array<std::string_view, kMax> cols{};
    std::array<std::string_view, kMax> rests{};
};

Cuts Cut(std::string_view line) {
    Cuts c;
    std::string_view rest = TrimLeft(line);
    for (size_t i = 0; i < Cuts::kMax; ++i) {
        size_t end = 0;
        while (end < rest.size() && !IsBlank(rest[end])) ++end;
        c.cols[i] = rest.substr(0, end);
        rest = TrimLeft(rest.substr(end));
        c.rests[i] = rest;
    }
    return c;
}

// "Jul/17/96" from its three parts, in one allocation.
std::string JoinDate(std::string_view month, std::string_view day, std::string_view year) {
    std::string date;
    date.reserve(month.size() + day.size() + year.size() + 2);
    date.append(month).append(1, '/').append(day).append(1, '/').append(year);
    return date;
}

// Paths that no FTP command could carry, or that stand for nothing.
bool UsablePath(std::string_view path) {
    if (path.empty() || path == "." || path == "..") return false;
    for (char c : path)
        if (c == '\r' || c == '\n' || c == '\0') return false;
    return true;
}

// A directory entry's own name never holds a "/": one that does would make
// the item stand for a different remote path ("../x") and break tree paths.
bool UsableName(std::string_view name) {
    return UsablePath(name) && name.find('/') == std::string_view::npos;
}

// "12-31-96" or "12-31-1996" -> month, day, year digits.
bool DosDate(std::string_view s, int& month, std::string_view& day, std::string_view& year) {
    if ((s.size() != 8 && s.size() != 10) || s[2] != '-' || s[5] != '-') return false;
    std::string_view mm = s.substr(0, 2);
    day = s.substr(3, 2);
    year = s.substr(6);
    if (!AllDigits(mm) || !AllDigits(day) || !AllDigits(year)) return false;
    month = (mm[0] - '0') * 10 + (mm[1] - '0');
    return month >= 1 && month <= 12;
}

// "10:04AM", "10:04PM" or "22:04".
bool DosTime(std::string_view s) {
    if (s.size() != 5 && s.size() != 7) return false;
    if (!AllDigits(s.substr(0, 2)) || s[2] != ':' || !AllDigits(s.substr(3, 2))) return false;
    if (s.size() == 5) return true;
    char m = static_cast<char>(std::toupper(static_cast<unsigned char>(s[5])));
    char n = static_cast<char>(std::toupper(static_cast<unsigned char>(s[6])));
    return (m == 'A' || m == 'P') && n == 'M';
}

}  // namespace

ListingParser::ListingParser() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    currentYear_ = local.tm_year + 1900;
    currentMonth_ = local.tm_mon + 1;
}

ListingParser::ListingParser(int currentYear, int currentMonth)
    : currentYear_(currentYear), currentMonth_(currentMonth) {}

std::vector<ListedLine> ListingParser::Parse(std::string_view listing) const {
    std::vector<ListedLine> out;
    size_t start = 0;
    while (start <= listing.size()) {
        size_t nl = listing.find('\n', start);
        size_t end = nl == std::string_view::npos ? listing.size() : nl;
        std::string_view line = listing.substr(start, end - start);
        ListedLine entry;
        if (ParseLine(line, entry)) out.push_back(std::move(entry));
        if (nl == std::string_view::npos) break;
        start = nl + 1;
    }
    return out;
}

bool ListingParser::IsTotalLine(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    std::string_view s = Trim(line);
    if (s.substr(0, 5) != "total") return false;
    std::string_view rest = s.substr(5);
    if (rest.empty() || !IsBlank(rest[0])) return false;
    return AllDigits(TrimLeft(rest));
}

bool ListingParser::ParseLine(std::string_view line, ListedLine& out) const {
    // Servers end listing lines with CR LF; the CR is no part of the name.
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.size() > kMaxLineLength || IsTotalLine(line)) return false;
    if (ParseDosLine(line, out)) return true;
    return ParseUnixLine(line, out);
}

int ListingParser::YearForTimeOfDay(std::string_view month) const {
    // "ls -l" shows a time instead of a year for the last six months, so a
    // month later than this one was last year's.
    return MonthNumber(month) > currentMonth_ ? currentYear_ - 1 : currentYear_;
}

bool ListingParser::ParseUnixLine(std::string_view line, ListedLine& out) const {
    Cuts c = Cut(line);
    // Columns of size, month, day, year-or-time and where the name starts.
    size_t size = 4, month = 5, day = 6, yearOrTime = 7;
    if (!(MonthNumber(c.cols[5]) && IsDay(c.cols[6])) && MonthNumber(c.cols[4]) &&
        IsDay(c.cols[5])) {
        size = 3, month = 4, day = 5, yearOrTime = 6;  // no group column
    }
    std::string_view name = TrimRight(c.rests[yearOrTime]);

    char type = c.cols[0].empty() ? '\0' : c.cols[0][0];
    ListedLine e;
    if (type == 'd' || type == 'D') {
        e.kind = ListedKind::Directory;
    } else if (type == 'l' || type == 'L') {
        e.kind = ListedKind::Link;
        size_t arrow = name.find(" -> ");
        size_t arrowLen = 4;
        if (arrow == std::string_view::npos) arrow = name.find("->"), arrowLen = 2;
        if (arrow != std::string_view::npos) {
            e.linkTarget = std::string(Trim(name.substr(arrow + arrowLen)));
            name = Trim(name.substr(0, arrow));
        }
        // A server that hides the target lets the link be listed by its name.
        if (e.linkTarget.empty()) e.linkTarget = std::string(name);
        if (!UsablePath(e.linkTarget)) return false;
    }
    if (!UsableName(name)) return false;
    e.name = std::string(name);
    e.size = std::string(c.cols[size]);

    std::string_view yt = c.cols[yearOrTime];
    char digits[16];
    std::string_view year = yt;
    if (yt.find(':') != std::string_view::npos) {
        const int n = std::snprintf(digits, sizeof digits, "%d", YearForTimeOfDay(c.cols[month]));
        year = std::string_view(digits, static_cast<size_t>(n));
    }
    e.date = JoinDate(c.cols[month], c.cols[day], LastTwo(year));
    out = std::move(e);
    return true;
}

bool ListingParser::ParseDosLine(std::string_view line, ListedLine& out) const {
    // Most lines are in the Unix form: they are told apart by their first
    // column before the whole line is cut.
    const std::string_view head = TrimLeft(line);
    if (head.size() < 8 || head[2] != '-' || head[5] != '-') return false;
    Cuts c = Cut(line);
    int month = 0;
    std::string_view day, year;
    if (!DosDate(c.cols[0], month, day, year) || !DosTime(c.cols[1])) return false;
    ListedLine e;
    if (c.cols[2] == "<DIR>") {
        e.kind = ListedKind::Directory;
    } else if (AllDigits(c.cols[2])) {
        e.kind = ListedKind::File;
        e.size = std::string(c.cols[2]);
    } else {
        return false;
    }
    std::string_view name = TrimRight(c.rests[2]);
    if (!UsableName(name)) return false;
    e.name = std::string(name);
    // Two-digit days keep their leading zero as the server wrote them.
    e.date = JoinDate(kMonths[static_cast<size_t>(month - 1)], day, LastTwo(year));
    out = std::move(e);
    return true;
}

bool ListingParser::TargetListingIsDirectory(std::string_view listing,
                                             std::string_view target) const {
    size_t start = 0;
    while (start < listing.size()) {
        size_t nl = listing.find('\n', start);
        size_t end = nl == std::string_view::npos ? listing.size() : nl;
        if (IsTotalLine(listing.substr(start, end - start))) return true;
        if (nl == std::string_view::npos) break;
        start = nl + 1;
    }
    // Servers without a "total" header: a file's listing holds the line of
    // the file itself (some servers list the link that led there beside it);
    // anything else listed is a directory's contents.
    std::vector<ListedLine> entries = Parse(listing);
    if (entries.empty()) return false;
    std::string_view base = target;
    while (base.size() > 1 && base.back() == '/') base.remove_suffix(1);
    size_t slash = base.rfind('/');
    if (slash != std::string_view::npos) base = base.substr(slash + 1);
    for (const ListedLine& e : entries)
        if (e.kind == ListedKind::File && (e.name == target || e.name == base)) return false;
    if (entries.size() > 1) return true;
    const ListedLine& only = entries.front();
    bool namesTarget = only.name == target || only.name == base;
    return !(namesTarget && only.kind != ListedKind::Directory);
}

}  // namespace net
