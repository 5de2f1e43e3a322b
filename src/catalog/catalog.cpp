// Reading data files into the tree, activation, fetches from the map
// server and removal of merged entries. Saving is in catalog_writer.cpp.
#include "catalog/catalog.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "catalog/catalog_writer.h"
#include "catalog/data_file_format.h"
#include "catalog/line_reader.h"
#include "catalog/map_files.h"
#include "platform/atomic_file.h"
#include "platform/paths.h"
#include "platform/prompt.h"

namespace catalog {
namespace {

// clang-format off
constexpr const char* kInvalidFileQuestion = "The data file you have on your drive is not valid.\nWould you like me to get a new one from the server?";
constexpr const char* kMissingFolderFileQuestion = "I couldn't find that data file on your machine.\nWould you like me to get a new copy from the server?";
// clang-format on
constexpr const char* kReadingText = "Reading Data File:";

bool IsMergedId(int id) { return id >= 1 && id <= SourceTable::kLastMergedId; }

// A file read ahead, as the stream the reader takes.
class MemoryBuffer : public std::streambuf {
public:
    explicit MemoryBuffer(const std::string& text) {
        char* p = const_cast<char*>(text.data());  // only ever read
        setg(p, p, p + text.size());
    }
};

}  // namespace

// A contents file is named by a folder line; only a plain name in the data
// directory is accepted, never a path leading elsewhere.
bool IsPlainFileName(const std::string& name) {
    return !name.empty() && name.find('/') == std::string::npos && name != "." && name != "..";
}

// A data file's name ends in ".amb" in any letter case; a name that merely
// ends in those letters ("Roast Lamb") is an ordinary item.
bool EndsWithDataExtension(const std::string& name) {
    if (name.size() < 4) return false;
    std::string tail = name.substr(name.size() - 4);
    for (char& c : tail)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return tail == ".amb";
}

std::string DefaultMapServerAddress() { return "map.internet-ambit.invalid"; }

std::string MapServerAddress() {
    const char* v = std::getenv("AMBIT_MAP_SERVER");
    return v && *v ? std::string(v) : DefaultMapServerAddress();
}

Catalog::Catalog(std::string dataDirectory) : dataDirectory_(std::move(dataDirectory)) {}

Catalog::~Catalog() = default;

std::string Catalog::DataPath(const std::string& name) const {
    return platform::JoinPath(dataDirectory_, name);
}

TreeItem* Catalog::InsertRootItems(const std::string& mapServerAddress,
                                   const std::string& scrambledPassword) {
    TreeItem* root = tree_.FindChild(tree_.Top(), kRootText);
    if (!root) root = tree_.InsertItem(tree_.Top(), kRootText, nullptr);
    auto site = std::make_unique<CEntry>();
    site->Name = kMapServerSiteName;
    site->Description = kFtpSiteDescription;
    site->Address = mapServerAddress;
    site->Path = kMapServerSitePath;
    site->DownloadDir = "anonymous";
    site->Price = scrambledPassword;
    site->Location = std::string("/") + kRootText + "/" + kMapServerSiteName;
    TreeItem* item = tree_.InsertItem(root, kMapServerSiteName, std::move(site), kImageMapServer,
                                      kImageMapServer);
    tree_.SetBuiltInSite(item, true);
    return item;
}

bool Catalog::LoadMainDataFile() {
    // Saving writes the table back; starting from an empty one would wipe it.
    std::string sources;
    if (platform::ReadWholeFile(DataPath(kSourceTableFile), sources)) sources_.Parse(sources);
    std::ifstream in(DataPath(kMainDataFile), std::ios::binary);
    if (!in) return false;
    ReadDataFile(in, "", 0);
    return true;
}

bool Catalog::ReadDataFile(std::istream& in, const std::string& prefix, int mapFileId) {
    std::int64_t length = -1;
    auto here = in.tellg();
    if (here >= 0 && in.seekg(0, std::ios::end)) {
        length = static_cast<std::int64_t>(in.tellg() - here);
        in.seekg(here);
    }
    in.clear();
    if (ReadStream(in, length, prefix, mapFileId, ReadMode::Merge)) return true;
    if (OfferFetch(kInvalidFileQuestion)) FetchFirstDataFile();
    return false;
}

bool Catalog::ReadDataFile(const std::string& path, const std::string& prefix, int mapFileId) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    return ReadDataFile(in, prefix, mapFileId);
}

bool Catalog::MergeDataFile(const std::string& path, int mapFileId) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return false;
    std::int64_t length = static_cast<std::int64_t>(in.tellg());
    in.seekg(0);
    if (ReadStream(in, length, "", mapFileId, ReadMode::MergeNew)) return true;
    if (OfferFetch(kInvalidFileQuestion)) FetchFirstDataFile();
    return false;
}

bool Catalog::ReadStream(std::istream& in, std::int64_t length, const std::string& prefix,
                         int mapFileId, ReadMode mode) {
    if (mapFileId != 0) currentMergedId_ = mapFileId;
    LineReader lines(in);
    std::string_view line;
    if (!lines.Next(line)) line = {};
    // A folder's contents file is part of the catalog already read; its
    // header (written without a date) must not wipe the catalog's date.
    // Nor may a map file's contents, shown beside the catalog, or the next
    // save would lose the catalog's own date.
    if (mode != ReadMode::FolderContents && mapFileId != kMapFileContentId) {
        contentDateText_ = HeaderValue(line, kContentDateKey);
        contentDate_ = 0;
        if (!contentDateText_.empty())
            contentDate_ = ParseContentDate(contentDateText_).value_or(0);
    }
    if (!ValidateHeader(line)) return false;

    if (progress_) progress_->Begin(kReadingText, length > 0 ? length / 10 : 0);
    const bool skipKnown = mode != ReadMode::Merge;
    const bool anyId = mode == ReadMode::MergeNew;
    CatalogTree::BulkInsert bulk(tree_);
    std::int64_t total = 0, shown = 0;
    while (lines.Next(line)) {
        if (!line.empty() && line[0] == '#') continue;
        total += static_cast<std::int64_t>(line.size());
        if (progress_ && total / 10 - shown >= 4096) {
            shown = total / 10;
            progress_->Step(shown);
        }
        LineKind kind = ClassifyLine(line);
        if (kind == LineKind::Skip) continue;
        if (kind == LineKind::Item) {
            // Plain items, nearly every line, stay packed in the tree.
            std::string_view text = TrimLeadingBlanks(line);
            ItemFields f = SplitItemLine(text);
            if (KindOf(f.Path, f.Description) == EntryKind::Item) {
                PackedEntry packed(prefix, text, f, mapFileId);
                if (skipKnown)
                    tree_.InsertEntryIfNew(std::move(packed), anyId);
                else
                    tree_.InsertEntry(std::move(packed));
                continue;
            }
        }
        std::optional<CEntry> entry = ParseDataLine(line, prefix);
        if (!entry) continue;
        if (mapFileId != 0) entry->MapFileId = mapFileId;
        TreeItem* item = skipKnown ? tree_.InsertEntryIfNew(std::move(*entry), anyId)
                                   : tree_.InsertEntry(std::move(*entry));
        if (newFolders_ && item && item->Kind() == EntryKind::Folder) newFolders_->push_back(item);
    }
    if (progress_) progress_->End();
    return true;
}

bool Catalog::OfferFetch(const std::string& question) {
    return platform::CurrentPrompt().AskYesNo(question);
}

Catalog::LoadResult Catalog::LoadContents(TreeItem* folder,
                                          const FilePrefetcher::File* prefetched) {
    const std::string& name = folder->Entry()->DownloadDir;
    std::string path = DataPath(name);
    if (!IsPlainFileName(name)) return LoadResult::Missing;
    auto load = [&](std::istream& in, std::int64_t length) {
        if (!ReadStream(in, length, "", 0, ReadMode::FolderContents)) return LoadResult::Invalid;
        tree_.SetContentsLoaded(folder, true);
        return LoadResult::Loaded;
    };
    if (prefetched && prefetched->read && prefetched->path == path) {
        MemoryBuffer buffer(prefetched->contents);
        std::istream in(&buffer);
        return load(in, static_cast<std::int64_t>(prefetched->contents.size()));
    }
    if (platform::IsDirectory(path)) return LoadResult::Missing;
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return LoadResult::Missing;
    std::int64_t length = static_cast<std::int64_t>(in.tellg());
    in.seekg(0);
    return load(in, length);
}

bool Catalog::LoadFolderContents(TreeItem* folder) {
    if (!folder || !folder->Entry() || !folder->Entry()->IsFolder()) return false;
    CEntry folderEntry = *folder->Entry();  // the fetch below may change the tree
    switch (LoadContents(folder)) {
        case LoadResult::Loaded:
            return true;
        case LoadResult::Missing:
            if (OfferFetch(kMissingFolderFileQuestion)) FetchFolderFile(folderEntry);
            return false;
        case LoadResult::Invalid:
            if (OfferFetch(kInvalidFileQuestion)) FetchFolderFile(folderEntry);
            return false;
    }
    return false;
}

bool Catalog::FetchFolderFile(const CEntry& folder) {
    // The map server keeps folder contents files beside its first data file.
    if (!IsPlainFileName(folder.DownloadDir)) return FetchFirstDataFile();
    return FetchDataFile(MapServerAddress(),
                         std::string(kMapServerSitePath) + "/" + folder.DownloadDir, 1);
}

size_t Catalog::LoadAllFolders() {
    // One walk finds the folders there are; after that only folders that
    // the files just read brought in can need loading.
    std::vector<TreeItem*> candidates, found;
    std::vector<TreeItem*> stack{tree_.Top()};
    while (!stack.empty()) {
        TreeItem* t = stack.back();
        stack.pop_back();
        if (t->HasEntry() && t->Kind() == EntryKind::Folder && !t->ContentsLoaded())
            candidates.push_back(t);
        for (int i = t->ChildCount() - 1; i >= 0; --i) stack.push_back(t->Child(i));
    }
    size_t loaded = 0;
    newFolders_ = &found;
    while (!candidates.empty()) {
        // Read on a second thread while this one parses; the files are
        // still parsed one by one in this order, as if read here.
        std::vector<std::string> paths;
        paths.reserve(candidates.size());
        for (TreeItem* f : candidates) {
            const std::string& name = f->Entry()->DownloadDir;
            paths.push_back(IsPlainFileName(name) ? DataPath(name) : std::string());
        }
        FilePrefetcher prefetcher(std::move(paths));
        FilePrefetcher::File file;
        for (TreeItem* f : candidates) {
            prefetcher.Next(file);
            if (!f->ContentsLoaded() && LoadContents(f, &file) == LoadResult::Loaded) ++loaded;
        }
        candidates.swap(found);
        found.clear();
    }
    newFolders_ = nullptr;
    return loaded;
}

void Catalog::ActivateItem(TreeItem* item) {
    if (!item || !item->Entry()) return;
    const CEntry& e = *item->Entry();
    EntryKind kind = e.Kind();
    if (kind == EntryKind::Folder) {
        // A folder whose contents are showing needs nothing; its Item
        // Properties would offer to download a file called "HEADER".
        if (!item->HasChildren()) LoadFolderContents(item);
        return;
    }
    if (EndsWithDataExtension(e.Name) && kind != EntryKind::MapFile) {
        FetchFirstDataFile();
        return;
    }
    if (!activation_) return;
    switch (kind) {
        case EntryKind::FtpDir:
            if (!item->HasChildren())
                activation_->ListDirectory(item);
            else
                activation_->ShowItemProperties(item);
            break;
        case EntryKind::FtpSite:
            if (!item->HasChildren())
                activation_->OpenSite(item);
            else
                activation_->ShowItemProperties(item);
            break;
        case EntryKind::FtpFile:
            activation_->DownloadSiteFile(item);
            break;
        case EntryKind::MapFile:
            activation_->OpenMapFile(item);
            break;
        default:
            activation_->ShowItemProperties(item);
            break;
    }
}

bool Catalog::SaveCatalog() {
    CatalogWriter writer(*this);
    bool ok = writer.Save();
    if (ok) changed_ = false;
    return ok;
}

bool Catalog::RemoveMergedEntries(int id) {
    // Entries of earlier sessions lost their id when they were saved; the
    // index names them. No index yet means nothing of this file was saved.
    const std::string indexPath = DataPath(kIndexFile);
    std::string index;
    if (!platform::ReadWholeFile(indexPath, index) && platform::FileExists(indexPath)) {
        platform::CurrentPrompt().Message("Could not open local file");
        return false;
    }
    const std::string key = std::to_string(id);
    std::vector<std::string> paths;
    size_t pos = 0;
    while (pos < index.size()) {
        size_t end = index.find('\n', pos);
        if (end == std::string::npos) end = index.size();
        std::string_view line(index.data() + pos, end - pos);
        pos = end + 1;
        size_t colon = line.find(':');
        if (colon != std::string_view::npos && line.substr(0, colon) == key) {
            std::string_view path = line.substr(colon + 1);
            if (!path.empty() && path.back() == '\r') path.remove_suffix(1);
            paths.emplace_back(path);
        }
    }
    // Again until nothing goes: a folder of the file's that its removal
    // emptied goes too. Id 44 is the contents of opened map files, never a
    // merged file.
    for (size_t removed = 1; removed > 0 && tree_.RootItem();) {
        removed = 0;
        if (IsMergedId(id)) removed += tree_.DeleteEntriesWithId(id, tree_.RootItem());
        if (!paths.empty()) removed += tree_.DeleteEntriesAt(paths, tree_.RootItem());
    }
    pendingRemovals_.insert(id);
    changed_ = true;
    return true;
}

void Catalog::ForgetSources() {
    sources_ = SourceTable();
    pendingRemovals_.clear();
}

std::vector<std::pair<int, std::string>> Catalog::ListSources() const {
    std::vector<std::string> lines;
    sources_.ListLines(lines);
    std::vector<int> slots = sources_.ListedSlots();
    std::vector<std::pair<int, std::string>> out;
    for (size_t i = 0; i < slots.size() && i < lines.size(); ++i)
        if (!pendingRemovals_.count(slots[i])) out.emplace_back(slots[i], lines[i]);
    return out;
}

bool Catalog::FetchFirstDataFile() {
    return FetchDataFile(MapServerAddress(), kFirstDataFilePath, 1);
}

std::string Catalog::FetchedFilePath(const std::string& remotePath, int mode) const {
    if (mode != 2) return DataPath(kFetchedDataFile);
    std::string name = NameFromLocation(remotePath);
    if (!IsPlainFileName(name)) return std::string();
    return platform::JoinPath(DataPath(kMapFilesDirectory), name);
}

bool Catalog::FetchDataFile(const std::string& host, const std::string& remotePath, int mode) {
    // Only a file that arrived changes the tree; a failed fetch must not
    // bring up the save question for nothing.
    std::string local = FetchedFilePath(remotePath, mode);
    if (local.empty()) {
        // The path comes from a data file; it must not name a file
        // outside the MapFiles directory, nor the directory itself.
        platform::CurrentPrompt().Message("The map file cannot be fetched: its path \"" +
                                          remotePath + "\" does not end in a file name.");
        return false;
    }
    if (!fetcher_) return false;
    if (mode == 2) platform::MakeDirectories(DataPath(kMapFilesDirectory));
    if (!fetcher_->Fetch(host, remotePath, local)) return false;
    if (mode == 2)
        MapFiles(*this).AddMapFile(local);
    else
        MergeDataFile(local, 0);
    changed_ = true;
    return true;
}

bool Catalog::FetchDataFileFor(const TreeItem* item) {
    if (!item || !item->Entry()) return false;
    if (item->Entry()->IsFolder()) return FetchFolderFile(*item->Entry());
    return FetchFirstDataFile();
}

}  // namespace catalog
