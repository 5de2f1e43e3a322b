// check, print and resave for catalog publishers.
#include "catalog/catalog_tool.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "catalog/catalog.h"
#include "catalog/data_file_format.h"
#include "catalog/download_target.h"
#include "catalog/line_reader.h"
#include "platform/atomic_file.h"
#include "platform/paths.h"

namespace catalog {
namespace {

constexpr int kMaxWarningsShown = 50;

std::string Absolute(const std::string& path) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved)) return resolved;
    return path;
}

const char* KindLabel(const TreeItem* t) {
    const CEntry* e = t->Entry();
    if (!e) return "folder";
    switch (e->Kind()) {
        case EntryKind::Folder:
            return "folder entry";
        case EntryKind::FtpSite:
            return "ftp site";
        case EntryKind::MapFile:
            return "map file";
        case EntryKind::FtpDir:
            return "ftp dir";
        case EntryKind::FtpFile:
            return "ftp file";
        case EntryKind::Item:
            return "item";
    }
    return "item";
}

// Reads the first line of a file; false when it cannot be opened.
bool FirstLine(const std::string& path, std::string& line) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    LineReader lines(in);
    std::string_view first;
    line = lines.Next(first) ? std::string(first) : std::string();
    return true;
}

// Loads a catalog directory as the main program does at start-up, then
// opens every folder's contents file.
bool LoadDirectory(Catalog& catalog, std::ostream& err) {
    std::string main = catalog.DataPath(kMainDataFile);
    std::string header;
    if (!FirstLine(main, header) || platform::IsDirectory(main)) {
        err << main << ": cannot open: " << std::strerror(errno ? errno : ENOENT) << "\n";
        return false;
    }
    if (!ValidateHeader(header)) {
        err << main << ": not a valid data file (its first line lacks %ver=\"1.0\")\n";
        return false;
    }
    catalog.InsertRootItems(MapServerAddress(), "");
    catalog.LoadMainDataFile();
    catalog.LoadAllFolders();
    return true;
}

}  // namespace

void CatalogTool::Usage() {
    err_ << "usage: ambit-catalog check FILE...\n"
            "       ambit-catalog print DIR\n"
            "       ambit-catalog resave SRC DST\n";
}

int CatalogTool::Run(const std::vector<std::string>& args) {
    if (args.empty()) {
        Usage();
        return 2;
    }
    const std::string& cmd = args[0];
    if (cmd == "check" && args.size() >= 2) return Check({args.begin() + 1, args.end()});
    if (cmd == "print" && args.size() == 2) return Print(args[1]);
    if (cmd == "resave" && args.size() == 3) return Resave(args[1], args[2]);
    Usage();
    return 2;
}

int CatalogTool::Check(const std::vector<std::string>& files) {
    int status = 0;
    for (const std::string& f : files)
        if (!CheckFile(f)) status = 1;
    return status;
}

bool CatalogTool::CheckFile(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in || platform::IsDirectory(file)) {
        out_ << file << ": cannot open: " << std::strerror(errno ? errno : EISDIR) << "\n";
        return false;
    }
    LineReader lines(in);
    std::string_view line;
    if (!lines.Next(line)) {
        out_ << file << ": not a valid data file: it is empty\n";
        return false;
    }
    if (!ValidateHeader(line)) {
        out_ << file << ": not a valid data file: its first line lacks %ver=\"1.0\"\n";
        return false;
    }
    std::string date = HeaderValue(line, kContentDateKey);
    long long number = 1, folders = 0, items = 0, skipped = 0, warnings = 0;
    std::string report;
    auto warn = [&](long long n, const std::string& what) {
        if (++warnings <= kMaxWarningsShown)
            report += "  line " + std::to_string(n) + ": " + what + "\n";
    };
    if (!date.empty() && !ParseContentDate(date))
        warn(1, "content date \"" + date + "\" is not a date of the form MM/DD/YY");
    while (lines.Next(line)) {
        ++number;
        if (lines.Truncated())
            warn(number, "longer than " + std::to_string(LineReader::kMaxLineLength) +
                             " bytes; the rest is ignored");
        if (line.find('\0') != std::string_view::npos) warn(number, "contains NUL bytes");
        switch (ClassifyLine(line)) {
            case LineKind::Skip:
                ++skipped;
                break;
            case LineKind::Folder: {
                ++folders;
                std::optional<CEntry> e = ParseDataLine(line, "");
                if (e->DownloadDir.empty())
                    warn(number, "folder line without a file name");
                else if (e->DownloadDir.find('/') != std::string::npos)
                    warn(number,
                         "folder file name \"" + e->DownloadDir + "\" is not a plain file name");
                break;
            }
            case LineKind::Item: {
                ++items;
                int fields = FieldCount(line, LineKind::Item);
                if (fields < 8)
                    warn(number, "item line has " + std::to_string(fields) + " of 8 fields");
                std::optional<CEntry> e = ParseDataLine(line, "");
                if (e && e->Kind() == EntryKind::Item) {
                    std::string problem = DownloadTargetResolver::Problem(*e);
                    if (!problem.empty()) warn(number, problem);
                }
                break;
            }
        }
    }
    out_ << file << ": valid data file, " << number << " lines (" << folders << " folders, "
         << items << " items, " << skipped << " comments or blank)";
    if (!date.empty()) out_ << ", content date " << date;
    out_ << "\n" << report;
    if (warnings > kMaxWarningsShown)
        out_ << "  ... and " << (warnings - kMaxWarningsShown) << " more\n";
    return true;
}

int CatalogTool::Print(const std::string& directory) {
    loaded_ = std::make_unique<Catalog>(Absolute(directory));
    Catalog& catalog = *loaded_;
    if (!LoadDirectory(catalog, err_)) return 1;
    std::string out;
    std::vector<std::pair<const TreeItem*, int>> stack;
    const TreeItem* top = catalog.Tree().Top();
    for (int i = top->ChildCount() - 1; i >= 0; --i) stack.emplace_back(top->Child(i), 0);
    while (!stack.empty()) {
        auto [t, depth] = stack.back();
        stack.pop_back();
        out.append(static_cast<size_t>(depth) * 2, ' ');
        out += t->Text();
        out += "  [";
        out += KindLabel(t);
        const CEntry* e = t->Entry();
        if (e && e->Kind() == EntryKind::Item && !e->IsFree()) out += ", price " + e->Price;
        out += "]\n";
        for (int i = t->ChildCount() - 1; i >= 0; --i) stack.emplace_back(t->Child(i), depth + 1);
        if (out.size() > (1u << 16)) {
            out_ << out;
            out.clear();
        }
    }
    out_ << out;
    out_.flush();
    return out_ ? 0 : 1;
}

int CatalogTool::Resave(const std::string& source, const std::string& destination) {
    if (!platform::MakeDirectories(destination)) {
        err_ << destination << ": cannot create the directory: " << std::strerror(errno) << "\n";
        return 1;
    }
    std::string src = Absolute(source), dst = Absolute(destination);
    loaded_ = std::make_unique<Catalog>(src);
    Catalog& catalog = *loaded_;
    if (!LoadDirectory(catalog, err_)) return 1;
    if (src != dst) {
        // Contents files that could not be read are kept as they are, and
        // the index goes along so the save appends to it as ambit's would.
        std::vector<std::string> keep{kIndexFile};
        std::vector<const TreeItem*> stack{catalog.Tree().Top()};
        while (!stack.empty()) {
            const TreeItem* t = stack.back();
            stack.pop_back();
            const CEntry* e = t->Entry();
            if (e && e->IsFolder() && !t->ContentsLoaded() && !e->DownloadDir.empty() &&
                e->DownloadDir.find('/') == std::string::npos)
                keep.push_back(e->DownloadDir);
            for (int i = 0; i < t->ChildCount(); ++i) stack.push_back(t->Child(i));
        }
        for (const std::string& name : keep) {
            std::string content;
            if (!platform::ReadWholeFile(platform::JoinPath(src, name), content)) continue;
            std::string error;
            if (!platform::WriteFileAtomically(platform::JoinPath(dst, name), content, &error)) {
                err_ << error << "\n";
                return 1;
            }
        }
    }
    catalog.SetDataDirectory(dst);
    if (!catalog.SaveCatalog()) {
        err_ << dst << ": the catalog could not be saved completely\n";
        return 1;
    }
    return 0;
}

}  // namespace catalog
