// Parsing and formatting of data-file lines. The reader never rejects a
// line; the writer never lets a field break the line structure.
#include "catalog/data_file_format.h"

#include <cstring>

namespace catalog {
namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

int Number2(std::string_view s, size_t at) {
    if (at + 2 > s.size()) return -1;
    char a = s[at], b = s[at + 1];
    if (a < '0' || a > '9' || b < '0' || b > '9') return -1;
    return (a - '0') * 10 + (b - '0');
}

// A field that must not contain a separator or a line end: a colon would
// shift every later field on reading, a line end would split the line.
void AppendField(std::string& out, std::string_view field, bool colonAllowed) {
    size_t start = out.size();
    out += field;
    // Through a plain pointer, without a branch per byte: the loop then runs
    // on whole vectors. An allowed colon is tested as a second line end.
    char* p = out.data() + start;
    const char colon = colonAllowed ? '\n' : ':';
    for (size_t i = 0; i < field.size(); ++i) {
        char c = p[i];
        p[i] = c == '\n' || c == '\r' ? ' ' : c == colon ? ';' : c;
    }
}

// `clean`: no field but the location can hold a separator or a line end.
void AppendItemFields(std::string& out, std::string_view location, const ItemFields& f, bool isSite,
                      bool clean) {
    auto field = [&out, clean](std::string_view text, bool colonAllowed) {
        if (clean)
            out += text;
        else
            AppendField(out, text, colonAllowed);
    };
    AppendField(out, location, false);
    out += ':';
    field(f.Description, false);
    out += ':';
    bool free = f.Price.empty() && !isSite;
    field(free ? std::string_view("0.00") : f.Price, false);
    out += ':';
    field(f.Address, false);
    out += ':';
    field(f.Path, false);
    out += ':';
    field(f.Date, false);
    out += ':';
    field(f.Size, false);
    out += ':';
    field(f.DownloadDir, true);
    out += '\n';
}

}  // namespace

std::string_view TrimLeadingBlanks(std::string_view s) {
    size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) ++i;
    return s.substr(i);
}

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
    std::string_view t = TrimLeadingBlanks(line);
    if (t.empty()) return LineKind::Skip;
    if (t.substr(0, std::strlen(kFolderLinePrefix)) == kFolderLinePrefix) return LineKind::Folder;
    return LineKind::Item;
}

std::optional<CEntry> ParseDataLine(std::string_view line, const std::string& prefix) {
    LineKind kind = ClassifyLine(line);
    if (kind == LineKind::Skip) return std::nullopt;
    std::string_view t = TrimLeadingBlanks(line);
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
        ItemFields f = SplitItemLine(t);
        e.Location.reserve(prefix.size() + f.Location.size());
        e.Location = prefix;
        e.Location += f.Location;
        AssignItemFields(e, f);
    }
    e.Name = NameFromLocation(e.Location);
    return e;
}

void AssignItemFields(CEntry& e, const ItemFields& f) {
    e.Description = f.Description;
    e.Price = f.Price;
    e.Address = f.Address;
    e.Path = f.Path;
    e.Date = f.Date;
    e.Size = f.Size;
    e.DownloadDir = f.DownloadDir;
}

ItemFields SplitItemLine(std::string_view t) {
    ItemFields f;
    std::string_view* fields[7] = {&f.Location, &f.Description, &f.Price, &f.Address,
                                   &f.Path,     &f.Date,        &f.Size};
    for (std::string_view* field : fields) {
        size_t c = t.find(':');
        if (c == std::string_view::npos) {
            f.DownloadDir = t;
            return f;
        }
        *field = t.substr(0, c);
        t.remove_prefix(c + 1);
    }
    f.DownloadDir = t;
    f.Complete = true;
    return f;
}

int FieldCount(std::string_view line, LineKind kind) {
    std::string_view t = TrimLeadingBlanks(line);
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

void AppendItemLine(std::string& out, std::string_view location, const CEntry& e, bool isSite) {
    AppendItemFields(
        out, location,
        {e.Location, e.Description, e.Price, e.Address, e.Path, e.Date, e.Size, e.DownloadDir},
        isSite, false);
}

void AppendLocationField(std::string& out, std::string_view location) {
    AppendField(out, location, false);
}

bool IsVerbatimItemLine(std::string_view line, const ItemFields& fields) {
    // Split at its colons and at line ends, a line's fields hold neither
    // but for a carriage return inside.
    return fields.Complete && !fields.Price.empty() && line.find('\r') == std::string_view::npos;
}

void AppendItemLine(std::string& out, std::string_view location, std::string_view line,
                    bool verbatim) {
    if (verbatim) {
        AppendLocationField(out, location);
        out.append(line.substr(line.find(':')));
        out += '\n';
        return;
    }
    bool clean = line.find('\r') == std::string_view::npos;
    AppendItemFields(out, location, SplitItemLine(line), false, clean);
}

}  // namespace catalog
