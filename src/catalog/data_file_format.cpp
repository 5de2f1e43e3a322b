// Parsing and formatting of data-file lines. The reader never rejects a
// line; the writer never lets a field break the line structure.
#include "catalog/data_file_format.h"

#include <cstring>

namespace catalog {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view TrimLeft(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) ++i;
    return s.substr(i);
}

int Number2(std::string_view s, size_t at) {
    if (at + 2 > s.size()) return -1;
    char a = s[at], b = s[at + 1];
    if (a < '0' || a > '9' || b < '0' || b > '9') return -1;
    return (a - '0') * 10 + (b - '0');
}

// A field that must not contain a separator or a line end: a colon would
// shift every later field on reading, a line end would split the line.
void AppendField(std::string& out, const std::string& field, bool colonAllowed) {
    size_t start = out.size();
    out += field;
    for (size_t i = start; i < out.size(); ++i) {
        char& c = out[i];
        if (c == '\n' || c == '\r')
            c = ' ';
        else if (c == ':' && !colonAllowed)
            c = ';';
    }
}

}  // namespace

std::string HeaderValue(std::string_view line, std::string_view key) {
    size_t pos = line.find(key);
    if (pos == std::string_view::npos) return {};
    size_t start = pos + key.size() + 1;  // the key and its opening quote
    if (start > line.size()) return {};
    size_t end = line.find('"', start);
    if (end == std::string_view::npos) return {};
    return std::string(line.substr(start, end - start));
}

bool ValidateHeader(std::string_view firstLine) {
    return HeaderValue(firstLine, kVersionKey) == kDataFileVersion;
}

std::optional<std::time_t> ParseContentDate(std::string_view text) {
    if (text.size() != 8) return std::nullopt;
    int month = Number2(text, 0), day = Number2(text, 3), yy = Number2(text, 6);
    if (month < 1 || month > 12 || day < 1 || day > 31 || yy < 0) return std::nullopt;
    std::tm tm{};
    tm.tm_year = FullYear(yy) - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_isdst = -1;
    std::time_t t = std::mktime(&tm);
    if (t == static_cast<std::time_t>(-1) || tm.tm_mon != month - 1 || tm.tm_mday != day)
        return std::nullopt;  // such as 02/31/97
    return t;
}

std::string FormatHeader(const std::string& contentDateText) {
    std::string h = kHeaderText;
    if (!contentDateText.empty()) {
        h += "  ";
        h += kContentDateKey;
        h += '"';
        AppendField(h, contentDateText, true);
        h += '"';
    }
    h += '\n';
    return h;
}

LineKind ClassifyLine(std::string_view line) {
    if (!line.empty() && line[0] == '#') return LineKind::Skip;
    std::string_view t = TrimLeft(line);
    if (t.empty()) return LineKind::Skip;
    if (t.substr(0, std::strlen(kFolderLinePrefix)) == kFolderLinePrefix) return LineKind::Folder;
    return LineKind::Item;
}

std::optional<CEntry> ParseDataLine(std::string_view line, const std::string& prefix) {
    LineKind kind = ClassifyLine(line);
    if (kind == LineKind::Skip) return std::nullopt;
    std::string_view t = TrimLeft(line);
    CEntry e;
    if (kind == LineKind::Folder) {
        t.remove_prefix(std::strlen(kFolderLinePrefix));
        size_t c1 = t.find(':');
        std::string_view location = t.substr(0, c1);
        if (c1 != std::string_view::npos) {
            size_t c2 = t.find(':', c1 + 1);
            e.DownloadDir = t.substr(
                c1 + 1, c2 == std::string_view::npos ? std::string_view::npos : c2 - c1 - 1);
            if (c2 != std::string_view::npos) e.Address = t.substr(t.rfind(':') + 1);
        }
        e.Location = prefix;
        e.Location += location;
        e.Description = kNone;
        e.Price = kNone;
        e.Path = kHeaderPath;
    } else {
        std::string* fields[7] = {&e.Location, &e.Description, &e.Price, &e.Address,
                                  &e.Path,     &e.Date,        &e.Size};
        // Fields 1 to 7 each end at a colon; a field without one stays
        // empty and the remaining text is the download directory.
        for (std::string* f : fields) {
            size_t c = t.find(':');
            if (c == std::string_view::npos) break;
            f->assign(t.substr(0, c));
            t.remove_prefix(c + 1);
        }
        e.DownloadDir = t;
        e.Location.insert(0, prefix);
    }
    e.Name = NameFromLocation(e.Location);
    return e;
}

int FieldCount(std::string_view line, LineKind kind) {
    std::string_view t = TrimLeft(line);
    if (kind == LineKind::Folder) t.remove_prefix(std::strlen(kFolderLinePrefix));
    int colons = 0;
    for (char c : t)
        if (c == ':') ++colons;
    int max = kind == LineKind::Folder ? 3 : 8;
    return colons + 1 < max ? colons + 1 : max;
}

void AppendFolderLine(std::string& out, const std::string& location, const std::string& file,
                      const std::string& address) {
    out += kFolderLinePrefix;
    AppendField(out, location, false);
    out += ':';
    AppendField(out, file, false);
    out += ':';
    AppendField(out, address, false);
    out += '\n';
}

void AppendItemLine(std::string& out, const std::string& location, const CEntry& e, bool isSite) {
    AppendField(out, location, false);
    out += ':';
    AppendField(out, e.Description, false);
    out += ':';
    bool free = e.Price.empty() && !isSite;
    AppendField(out, free ? std::string("0.00") : e.Price, false);
    out += ':';
    AppendField(out, e.Address, false);
    out += ':';
    AppendField(out, e.Path, false);
    out += ':';
    AppendField(out, e.Date, false);
    out += ':';
    AppendField(out, e.Size, false);
    out += ':';
    AppendField(out, e.DownloadDir, true);
    out += '\n';
}

}  // namespace catalog
