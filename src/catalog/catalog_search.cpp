// The tree's index, the row test, and the reading of contents files that
// are not in the tree.
#include "catalog/catalog_search.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <unordered_set>

#include "catalog/c_entry.h"
#include "catalog/catalog.h"
#include "catalog/data_file_format.h"
#include "catalog/line_reader.h"
#include "catalog/tree_item.h"

namespace catalog {
namespace {

// Folders, sites and map files keep a kind word in their description
// ("NONE", "FTPSITE", ...), which no one searches for.
bool DescriptionIsText(const TreeItem& item) {
    return item.HasEntry() && item.Kind() == EntryKind::Item;
}

std::string_view DescriptionOf(const TreeItem& item) {
    if (!DescriptionIsText(item)) return {};
    if (!item.Packed()) return item.Entry()->Description;
    // The second field, as SplitItemLine cuts it, without splitting all
    // eight: this runs for every item of the tree.
    std::string_view line = item.Packed().Line();
    size_t first = line.find(':');
    if (first == std::string_view::npos) return {};
    size_t second = line.find(':', first + 1);
    if (second == std::string_view::npos) return {};
    return line.substr(first + 1, second - first - 1);
}

bool IsUnloadedFolder(const TreeItem& item) {
    return item.HasEntry() && item.Kind() == EntryKind::Folder && !item.HasChildren() &&
           !item.ContentsLoaded();
}

// A name and a short description, to size the index's buffer once.
constexpr size_t kTypicalTextBytes = 48;

std::string_view NameOfLocation(std::string_view location) {
    size_t slash = location.rfind('/');
    return slash == std::string_view::npos ? location : location.substr(slash + 1);
}

}  // namespace

// A contents file as last read: its size and time tell whether it changed.
struct CatalogSearch::ContentsFile {
    std::int64_t size = -1;
    std::filesystem::file_time_type time;
    std::uint64_t checkedRound = 0;
    // The matches of the search of round roundCounted.
    std::uint64_t roundCounted = 0;
    std::size_t count = 0;
    TextIndex texts;
    NarrowingSearch narrowing;
    std::vector<std::string> subfolderFiles;

    void Read(const std::string& path) {
        texts.Clear();
        narrowing.Forget();
        subfolderFiles.clear();
        if (size < 0 || size > kMaxFileBytes) return;
        std::ifstream in(path, std::ios::binary);
        if (!in) return;
        LineReader lines(in);
        std::string_view line;
        if (!lines.Next(line) || !ValidateHeader(line)) return;
        while (lines.Next(line) && lines.Consumed() <= kMaxFileBytes) {
            switch (ClassifyLine(line)) {
                case LineKind::Skip:
                    break;
                case LineKind::Folder:
                    if (std::optional<CEntry> folder = ParseDataLine(line, std::string())) {
                        texts.Add({folder->Name});
                        if (IsPlainFileName(folder->DownloadDir))
                            subfolderFiles.push_back(folder->DownloadDir);
                    }
                    break;
                case LineKind::Item: {
                    ItemFields f = SplitItemLine(TrimLeadingBlanks(line));
                    std::string_view name = NameOfLocation(f.Location);
                    if (KindOf(f.Path, f.Description) == EntryKind::Item)
                        texts.Add({name, f.Description});
                    else
                        texts.Add({name});
                    break;
                }
            }
        }
    }
};

CatalogSearch::CatalogSearch(const Catalog& catalog) : catalog_(catalog) {}
CatalogSearch::~CatalogSearch() = default;

bool CatalogSearch::Current() const { return built_ && revision_ == catalog_.Tree().Revision(); }

void CatalogSearch::BuildIndex() {
    const CatalogTree& tree = catalog_.Tree();
    items_.clear();
    parents_.clear();
    firstChild_.clear();
    unloadedFolders_.clear();
    texts_.Clear();
    narrowing_.Forget();
    hits_ = nullptr;
    items_.reserve(tree.ItemCount());
    parents_.reserve(tree.ItemCount());
    texts_.Reserve(tree.ItemCount(), tree.ItemCount() * kTypicalTextBytes);
    // Breadth first, so that the children of each node are numbered one
    // after the other and a row is found from its parent's first number.
    std::vector<std::pair<const TreeItem*, std::uint32_t>> queue{{tree.Top(), kNone}};
    for (size_t q = 0; q < queue.size(); ++q) {
        auto [parent, number] = queue[q];
        firstChild_.emplace(parent, static_cast<std::uint32_t>(items_.size()));
        for (int row = 0; row < parent->ChildCount(); ++row) {
            const TreeItem* child = parent->Child(row);
            auto own = static_cast<std::uint32_t>(items_.size());
            items_.push_back(child);
            parents_.push_back(number);
            texts_.Add({child->Text(), DescriptionOf(*child)});
            if (child->HasChildren())
                queue.emplace_back(child, own);
            else if (IsUnloadedFolder(*child))
                unloadedFolders_.push_back(own);
        }
    }
    revision_ = tree.Revision();
    built_ = true;
}

std::uint32_t CatalogSearch::Number(const TreeItem* item) const {
    if (!item || !item->Parent()) return kNone;
    auto first = firstChild_.find(item->Parent());
    if (first == firstChild_.end()) return kNone;
    size_t n = size_t{first->second} + static_cast<size_t>(item->Row());
    return n < items_.size() && items_[n] == item ? static_cast<std::uint32_t>(n) : kNone;
}

void CatalogSearch::Search(std::string_view text, bool unloaded) {
    std::string needle = TextIndex::FoldNeedle(text);
    // A new word (not the last one grown) checks the files on disk again.
    if (needle.empty() || needle_.empty() || needle.find(needle_) == std::string::npos)
        ++statRound_;
    text_ = std::string(text);
    needle_ = std::move(needle);
    unloaded_ = unloaded;
    Refresh();
}

void CatalogSearch::Refresh() {
    hits_ = nullptr;
    unloadedCounts_.clear();
    unloadedMatches_ = 0;
    if (needle_.empty()) {
        kept_.clear();
        return;
    }
    Prepare();
    hits_ = &narrowing_.Find(texts_, needle_);
    kept_.assign(items_.size(), 0);
    auto keep = [this](std::uint32_t n) {
        kept_[n] |= kKept;
        // Stops at the first ancestor known to hold kept items: its own
        // ancestors are marked already.
        for (n = parents_[n]; n != kNone && !(kept_[n] & kHoldsKept); n = parents_[n])
            kept_[n] |= kKept | kHoldsKept;
    };
    for (std::uint32_t n : *hits_) keep(n);
    if (unloaded_) {
        SearchUnloaded();
        for (const auto& [n, count] : unloadedCounts_) keep(n);
    }
}

bool CatalogSearch::Accepts(const TreeItem* parent, int row) const {
    if (needle_.empty() || !Current() || row < 0) return true;
    auto first = firstChild_.find(parent);
    if (first == firstChild_.end()) return true;
    size_t n = size_t{first->second} + static_cast<size_t>(row);
    return n >= kept_.size() || (kept_[n] & kKept);
}

bool CatalogSearch::ShowsChildren(const TreeItem* item) const {
    if (needle_.empty() || !Current()) return true;
    std::uint32_t n = Number(item);
    if (n == kNone) return item == catalog_.Tree().Top();
    return (kept_[n] & kHoldsKept) || unloadedCounts_.count(n) > 0;
}

void CatalogSearch::Prepare(bool unloaded) {
    if (!Current()) {
        BuildIndex();
        ++statRound_;
    }
    if (!unloaded) return;
    for (std::uint32_t n : unloadedFolders_) {
        std::unordered_set<std::string> seen;
        if (const CEntry* folder = items_[n]->Entry()) Closure(folder->DownloadDir, seen);
    }
}

bool CatalogSearch::IsMatch(const TreeItem* item) const {
    if (!hits_ || !Current()) return false;
    std::uint32_t n = Number(item);
    return n != kNone && std::binary_search(hits_->begin(), hits_->end(), n);
}

std::size_t CatalogSearch::UnloadedMatches(const TreeItem* folder) const {
    if (!Current()) return 0;
    auto found = unloadedCounts_.find(Number(folder));
    return found == unloadedCounts_.end() ? 0 : found->second;
}

std::vector<const TreeItem*> CatalogSearch::FoldersToShow(std::size_t limit) const {
    std::vector<const TreeItem*> folders;
    if (!hits_ || !Current()) return folders;
    std::vector<char> taken(items_.size(), 0);
    auto take = [&](std::uint32_t n) {
        for (n = parents_[n]; n != kNone && !taken[n]; n = parents_[n]) {
            taken[n] = 1;
            folders.push_back(items_[n]);
        }
    };
    size_t shown = 0;
    for (std::uint32_t n : *hits_) {
        if (shown++ == limit) break;
        take(n);
    }
    for (const auto& [n, count] : unloadedCounts_)
        if (shown++ < limit) take(n);
    // Numbers grow with depth; top folders first reads better to a view.
    std::sort(folders.begin(), folders.end(),
              [this](const TreeItem* a, const TreeItem* b) { return Number(a) < Number(b); });
    return folders;
}

CatalogSearch::ContentsFile* CatalogSearch::FileNamed(const std::string& name) {
    if (!IsPlainFileName(name)) return nullptr;
    std::unique_ptr<ContentsFile>& file = files_[name];
    if (!file) file = std::make_unique<ContentsFile>();
    if (file->checkedRound == statRound_) return file.get();
    file->checkedRound = statRound_;
    const std::string path = catalog_.DataPath(name);
    std::error_code error;
    std::int64_t size = -1;
    std::filesystem::file_time_type time{};
    if (std::filesystem::is_regular_file(path, error)) {
        auto bytes = std::filesystem::file_size(path, error);
        if (!error) size = static_cast<std::int64_t>(bytes);
        time = std::filesystem::last_write_time(path, error);
    }
    if (size != file->size || time != file->time) {
        file->size = size;
        file->time = time;
        file->Read(path);
    }
    return file.get();
}

std::vector<CatalogSearch::ContentsFile*> CatalogSearch::Closure(
    const std::string& name, std::unordered_set<std::string>& seen) {
    // A folder's file may name the files of folders inside it; those count
    // too. Each file once, so files naming each other end the walk.
    std::vector<ContentsFile*> files;
    std::vector<std::string> pending{name};
    seen.insert(name);
    while (!pending.empty()) {
        std::string next = std::move(pending.back());
        pending.pop_back();
        ContentsFile* file = FileNamed(next);
        if (!file) continue;
        files.push_back(file);
        for (const std::string& inner : file->subfolderFiles)
            if (seen.insert(inner).second) pending.push_back(inner);
    }
    return files;
}

std::size_t CatalogSearch::CountInClosure(std::uint32_t folder, const std::string& name) {
    // The files a folder reaches change only when some file is read again.
    if (closureRound_ != statRound_) {
        closures_.clear();
        closureRound_ = statRound_;
    }
    auto known = closures_.find(folder);
    if (known == closures_.end()) {
        std::unordered_set<std::string> seen;
        known = closures_.emplace(folder, Closure(name, seen)).first;
    }
    std::size_t total = 0;
    for (ContentsFile* file : known->second) {
        if (file->roundCounted != searchRound_) {
            file->count = file->narrowing.Find(file->texts, needle_).size();
            file->roundCounted = searchRound_;
        }
        total += file->count;
    }
    return total;
}

void CatalogSearch::SearchUnloaded() {
    ++searchRound_;
    for (std::uint32_t n : unloadedFolders_) {
        const CEntry* folder = items_[n]->Entry();
        if (!folder) continue;
        std::size_t count = CountInClosure(n, folder->DownloadDir);
        if (count == 0) continue;
        unloadedCounts_.emplace(n, count);
        unloadedMatches_ += count;
    }
}

}  // namespace catalog
