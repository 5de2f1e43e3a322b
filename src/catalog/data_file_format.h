// The text format of catalog data files: the header line with its quoted
// keys, folder lines ("CNAME=location:file:address") and item lines (eight
// colon-separated fields, the last taking the rest of the line). Pure
// functions, shared by the reader, the writer and the command-line checker.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <string_view>

#include "catalog/c_entry.h"

namespace catalog {

inline constexpr const char* kHeaderText = "%Internet Ambit Data File %ver=\"1.0\"";
inline constexpr const char* kVersionKey = "%ver=";
inline constexpr const char* kContentDateKey = "%CCon=";
inline constexpr const char* kDataFileVersion = "1.0";
inline constexpr const char* kFolderLinePrefix = "CNAME=";

// The value of `key` in a header line: the text after the key and the
// character following it, up to the next double quote. Empty if absent.
std::string HeaderValue(std::string_view line, std::string_view key);

// True when the line's "%ver=" value is exactly "1.0".
bool ValidateHeader(std::string_view firstLine);

// Midnight (local time) of an MM?DD?YY date; years 70-99 are 1970-1999 and
// 00-69 are 2000-2069. Nothing when the text is not such a date.
std::optional<std::time_t> ParseContentDate(std::string_view text);

// The year of a two-digit year by the rule above (70 -> 1970, 69 -> 2069).
constexpr int FullYear(int yy) { return yy < 70 ? 2000 + yy : 1900 + yy; }

// The header line with its "\n"; the content date is added when not empty.
std::string FormatHeader(const std::string& contentDateText);

enum class LineKind { Skip, Folder, Item };

// The eight fields of an item line, viewing the line's text.
struct ItemFields {
    std::string_view Location, Description, Price, Address, Path, Date, Size, DownloadDir;
    bool Complete = false;  // every field ended at its colon
};

// What a line (without its line end) is: comments ("#" in the first
// column) and blank lines are skipped.
LineKind ClassifyLine(std::string_view line);

// Parses a folder or item line into a fresh entry, `prefix` in front of
// its location. Skip lines give nothing. Never fails otherwise: missing
// fields are empty.
std::optional<CEntry> ParseDataLine(std::string_view line, const std::string& prefix);

// Splits an item line whose leading blanks are removed: fields 1 to 7 each
// end at a colon; a field without one stays empty and the remaining text is
// the download directory.
ItemFields SplitItemLine(std::string_view line);

// Copies fields 2 to 8 into the entry; the location is the caller's, as
// it takes a prefix.
void AssignItemFields(CEntry& e, const ItemFields& fields);

// The line without its leading blanks.
std::string_view TrimLeadingBlanks(std::string_view line);

// How many fields a line has (colon-separated, the eighth taking the rest).
int FieldCount(std::string_view line, LineKind kind);

// "CNAME=" location ":" file ":" address "\n".
void AppendFolderLine(std::string& out, const std::string& location, const std::string& file,
                      const std::string& address);
// The eight fields of an item at `location`, price "0.00" when empty
// (except for a site, whose price field holds its scrambled password).
void AppendItemLine(std::string& out, std::string_view location, const CEntry& entry, bool isSite);
// A location as a line's first field: a colon or a line end in it would
// break the line, so each becomes a separator-free character.
void AppendLocationField(std::string& out, std::string_view location);
// Whether an item line (leading blanks removed) is written back exactly as
// read but for its location: every field present, none holding a line
// end, a price given.
bool IsVerbatimItemLine(std::string_view line, const ItemFields& fields);
// The same as the CEntry form for an item still held as its line, leading
// blanks removed (never a site); `verbatim` as IsVerbatimItemLine says.
void AppendItemLine(std::string& out, std::string_view location, std::string_view line,
                    bool verbatim);

}  // namespace catalog
