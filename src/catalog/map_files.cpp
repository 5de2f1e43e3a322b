// Listing, opening, merging and updating map files, and server folders.
#include "catalog/map_files.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include "catalog/catalog.h"
#include "catalog/data_file_format.h"
#include "platform/paths.h"
#include "platform/prompt.h"

namespace catalog {
namespace {

// A header line is short; a file without line ends must not be read whole
// to find one.
constexpr std::streamsize kFirstLineLimit = 4096;

std::string ReadFirstLine(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::string();
    std::string buffer(static_cast<size_t>(kFirstLineLimit), '\0');
    in.read(buffer.data(), kFirstLineLimit);
    buffer.resize(static_cast<size_t>(in.gcount()));
    size_t end = buffer.find('\n');
    if (end != std::string::npos) buffer.resize(end);
    if (!buffer.empty() && buffer.back() == '\r') buffer.pop_back();
    return buffer;
}

std::string FileNameOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Items inside these never take a folder: they are live listings or shown
// map-file contents, and neither is saved.
bool TakesNoFolder(const CatalogTree& tree, const TreeItem* item) {
    const CEntry* e = item->Entry();
    if (!e) return item->Text() == kMapFilesText && item->Parent() == tree.RootItem();
    EntryKind k = e->Kind();
    return k == EntryKind::FtpSite || k == EntryKind::FtpDir || k == EntryKind::FtpFile ||
           k == EntryKind::MapFile || e->MapFileId == kMapFileContentId;
}

}  // namespace

std::string MapFiles::Directory() const { return catalog_.DataPath(kMapFilesDirectory); }

CEntry MapFiles::EntryFor(std::string_view firstLine, const std::string& fileName,
                          bool locationFromName) {
    CEntry e;
    e.Name = HeaderValue(firstLine, kNameKey);
    if (e.Name.empty()) e.Name = fileName;
    // A "/" would make the name a path below the MapFiles folder.
    std::replace(e.Name.begin(), e.Name.end(), '/', '_');
    e.Description = kMapFileDescription;
    e.Address = HeaderValue(firstLine, kAddressKey);
    e.Path = HeaderValue(firstLine, kPathKey);
    e.DownloadDir = fileName;
    e.Location = std::string(kMapFilesLocation) + (locationFromName ? e.Name : fileName);
    e.MapFileId = 0;
    return e;
}

size_t MapFiles::BuildMapFilesFolder() {
    const std::string dir = Directory();
    if (!platform::IsDirectory(dir)) platform::MakeDirectories(dir);
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code typeError;
        if (!it->is_directory(typeError)) names.push_back(it->path().filename().string());
    }
    std::sort(names.begin(), names.end());
    size_t listed = 0;
    for (const std::string& name : names) {
        CEntry e = EntryFor(ReadFirstLine(platform::JoinPath(dir, name)), name, false);
        if (e.Name.empty()) continue;
        catalog_.Tree().InsertEntry(std::move(e));
        ++listed;
    }
    return listed;
}

TreeItem* MapFiles::AddMapFile(const std::string& localPath) {
    CEntry e = EntryFor(ReadFirstLine(localPath), FileNameOf(localPath), true);
    if (e.Name.empty()) return nullptr;
    TreeItem* item = catalog_.Tree().InsertEntry(std::move(e));
    catalog_.ReadDataFile(localPath, CatalogTree::ItemPath(item), kMapFileContentId);
    return item;
}

bool MapFiles::OpenMapFile(TreeItem* item) {
    if (!item || !item->Entry() || !item->Entry()->IsMapFile() || item->HasChildren()) return false;
    const std::string& name = item->Entry()->DownloadDir;
    if (!IsPlainFileName(name)) return false;
    return catalog_.ReadDataFile(platform::JoinPath(Directory(), name), CatalogTree::ItemPath(item),
                                 kMapFileContentId);
}

MapFiles::MergeResult MapFiles::Merge(TreeItem* item) {
    platform::Prompt& prompt = platform::CurrentPrompt();
    if (!item || !item->Entry()) return MergeResult::Failed;
    if (!prompt.AskYesNo("Are you sure you want to merge this with the main tree?"))
        return MergeResult::Declined;
    catalog_.SetChanged();
    const CEntry source = *item->Entry();
    const std::string path = platform::JoinPath(Directory(), source.DownloadDir);
    if (!IsPlainFileName(source.DownloadDir) || !std::ifstream(path, std::ios::binary)) {
        prompt.Message("Could not open .amb file for reading");
        return MergeResult::Failed;
    }
    // The entries carry the source's slot, so they can be removed as one
    // later; a file that is not read leaves no source behind.
    SourceTable before = catalog_.Sources();
    int slot = catalog_.Sources().Add(source.Name, source.Address, source.Path, source.DownloadDir);
    if (slot == 0)
        prompt.Message(
            "Internet Ambit keeps track of 43 merged files at most. These entries join the "
            "catalog for good: they cannot be removed together later.");
    if (!catalog_.MergeDataFile(path, slot)) {
        catalog_.Sources() = before;
        return MergeResult::Failed;
    }
    if (!prompt.AskYesNo("Would you like me to delete this from the MapFiles directory?"))
        return MergeResult::Kept;
    std::remove(path.c_str());
    catalog_.Tree().DeleteSubtree(item, true);
    return MergeResult::Deleted;
}

bool MapFiles::Update(TreeItem* item) {
    if (!item || !item->Entry() || !item->Entry()->IsMapFile()) return false;
    const CEntry e = *item->Entry();
    if (e.Address.empty() || e.Path.empty()) return false;
    if (!platform::CurrentPrompt().AskYesNo("Are you sure you want to update this file?"))
        return false;
    return FetchMapFile(e.Address, e.Path);
}

bool MapFiles::FetchMapFile(const std::string& host, const std::string& remotePath) {
    return catalog_.FetchDataFile(host, remotePath, 2);
}

TreeItem* MapFiles::AddServerFolder(TreeItem* selected, const std::string& name,
                                    const std::string& address, const std::string& adfPath) {
    CatalogTree& tree = catalog_.Tree();
    TreeItem* parent = selected;
    if (parent && parent->Entry() && !parent->Entry()->IsFolder()) parent = parent->Parent();
    for (TreeItem* p = parent; p; p = p->Parent())
        if (TakesNoFolder(tree, p)) parent = tree.RootItem();
    if (!parent || parent == tree.Top()) parent = tree.RootItem();
    if (!parent) return nullptr;
    catalog_.SetChanged();
    auto e = std::make_unique<CEntry>();
    e->Name = name;
    e->Description = kNone;
    e->Address = address + adfPath;
    e->Path = kHeaderPath;
    e->Price = kNone;
    CEntry* entry = e.get();
    TreeItem* item = tree.InsertItem(parent, name, std::move(e));
    entry->Location = CatalogTree::ItemPath(item);
    tree.EntryChanged(item);
    return item;
}

}  // namespace catalog
