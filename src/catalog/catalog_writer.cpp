// Writing the catalog's files. Each folder whose contents are in memory
// gets a contents file of its own, named from the first characters of its
// name and distinct from every other file the catalog refers to; folders
// whose contents were never read keep theirs untouched.
#include "catalog/catalog_writer.h"

#include <algorithm>
#include <set>
#include <unordered_set>

#include "catalog/catalog.h"
#include "catalog/data_file_format.h"
#include "platform/atomic_file.h"
#include "platform/prompt.h"

namespace catalog {
namespace {

constexpr size_t kFlushAt = size_t{1} << 18;
constexpr size_t kNameChars = 8;

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// First `n` bytes of `s`, not splitting a UTF-8 sequence, trailing blanks removed.
std::string Stem(const std::string& s, size_t n) {
    size_t cut = std::min(n, s.size());
    while (cut > 0 && cut < s.size() && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) --cut;
    std::string stem = s.substr(0, cut);
    while (!stem.empty() && (stem.back() == ' ' || stem.back() == '\t')) stem.pop_back();
    return stem;
}

bool IsTopMapFilesFolder(const CatalogTree& tree, const TreeItem* t) {
    return !t->HasEntry() && t->Text() == kMapFilesText && t->Parent() == tree.RootItem();
}

// Subtrees that are never saved: the built-in map server site, map files
// with the contents shown below them, and what live browsing found. The
// entry's kind is handed back so callers need not work it out again.
bool IsUnsaved(const CatalogTree& tree, const TreeItem* t, EntryKind& kind) {
    kind = EntryKind::Item;
    if (t->IsBuiltInSite()) return true;
    if (!t->HasEntry()) return IsTopMapFilesFolder(tree, t);
    kind = t->Kind();
    return kind == EntryKind::MapFile || kind == EntryKind::FtpDir || kind == EntryKind::FtpFile;
}

bool WritesContents(const TreeItem* folder) {
    return folder->HasChildren() || folder->ContentsLoaded();
}

std::vector<TreeItem*> ChildrenOf(const TreeItem* t) {
    std::vector<TreeItem*> v;
    v.reserve(static_cast<size_t>(t->ChildCount()));
    for (int i = 0; i < t->ChildCount(); ++i) v.push_back(t->Child(i));
    return v;
}

}  // namespace

void CatalogWriter::LoadUnreadFolders() {
    // A folder that gained children without its contents file ever being
    // read would otherwise have that file replaced by the new children
    // only. The same walk notes the file names of folders that keep their
    // files, so that no folder written now takes one of them.
    CatalogTree& tree = catalog_.Tree();
    std::unordered_set<const TreeItem*> tried;
    for (;;) {
        std::vector<TreeItem*> folders;
        std::vector<std::string> kept;
        std::vector<TreeItem*> stack{tree.Top()};
        while (!stack.empty()) {
            TreeItem* t = stack.back();
            stack.pop_back();
            EntryKind kind;
            if (IsUnsaved(tree, t, kind)) continue;
            if (kind == EntryKind::Folder) {
                if (!WritesContents(t)) {
                    if (!t->Entry()->DownloadDir.empty()) kept.push_back(t->Entry()->DownloadDir);
                } else if (!t->ContentsLoaded() && !tried.count(t)) {
                    folders.push_back(t);
                }
            }
            for (int i = 0; i < t->ChildCount(); ++i) stack.push_back(t->Child(i));
        }
        bool loaded = false;
        for (TreeItem* f : folders) {
            tried.insert(f);
            Catalog::LoadResult r = catalog_.LoadContents(f);
            if (r == Catalog::LoadResult::Loaded) loaded = true;
            // A file we cannot read is not ours to replace.
            if (r == Catalog::LoadResult::Invalid)
                usedNames_.insert(Lower(f->Entry()->DownloadDir));
        }
        if (!loaded) {
            for (const std::string& name : kept) usedNames_.insert(Lower(name));
            return;
        }
    }
}

void CatalogWriter::ReserveNames() {
    usedNames_.insert(Lower(kMainDataFile));
    usedNames_.insert(Lower(kFetchedDataFile));
}

std::string CatalogWriter::ContentsFileName(const TreeItem* folder) {
    std::string base = Stem(folder->Text(), kNameChars);
    // The folder line must name exactly the file written: its field has no
    // room for a line end or a colon, and the name none for a '/'.
    for (char& c : base)
        if (c == '/' || c == ':' || static_cast<unsigned char>(c) < 0x20) c = '_';
    if (base.empty()) base = "folder";
    std::string name = base + ".amb";
    // Many folders of one name (every "Older" below its own parent): go on
    // counting where the last one of that name stopped.
    int& next = nextSuffix_[Lower(base)];
    for (int n = std::max(next, 1); usedNames_.count(Lower(name)); next = ++n) {
        std::string digits = std::to_string(n);
        size_t room = kNameChars > digits.size() ? kNameChars - digits.size() : 0;
        name = Stem(base, room) + digits + ".amb";
    }
    usedNames_.insert(Lower(name));
    return name;
}

void CatalogWriter::AppendItems(std::string& out, const std::vector<TreeItem*>& items) {
    CatalogTree& tree = catalog_.Tree();
    // Siblings share their parent's path: build it once per parent, not
    // once per item.
    const TreeItem* pathParent = nullptr;
    std::string parentPath, parentField;
    std::vector<TreeItem*> stack(items.rbegin(), items.rend());
    while (!stack.empty()) {
        TreeItem* t = stack.back();
        stack.pop_back();
        EntryKind kind;
        if (IsUnsaved(tree, t, kind)) continue;
        bool descend = true;
        if (t->HasEntry()) {
            if (t->Parent() != pathParent) {
                pathParent = t->Parent();
                parentPath = CatalogTree::ItemPath(pathParent) + "/";
                parentField.clear();
                AppendLocationField(parentField, parentPath);
            }
            const PackedEntry& packed = t->Packed();
            if (packed && packed.Verbatim() && t->EntryMapFileId() == 0) {
                // Nearly every item of a large catalog: the line goes out
                // as it came in, behind the item's path in the tree.
                out += parentField;
                AppendLocationField(out, t->Text());
                out += packed.AfterLocation();
                out += '\n';
            } else {
                descend = AppendEntry(out, t, kind, parentPath);
            }
        }
        if (descend)
            for (int i = t->ChildCount() - 1; i >= 0; --i) stack.push_back(t->Child(i));
        if (out.size() >= kFlushAt) {
            batch_->Write(out);
            out.clear();
        }
    }
}

bool CatalogWriter::AppendEntry(std::string& out, TreeItem* t, EntryKind kind,
                                const std::string& parentPath) {
    std::string path = parentPath + t->Text();
    bool descend = true;
    const PackedEntry& packed = t->Packed();
    if (kind == EntryKind::Folder) {
        CEntry* e = t->Entry();
        descend = false;
        if (WritesContents(t)) {
            std::string file = ContentsFileName(t);
            AppendFolderLine(out, e->Location, file, e->Address);
            jobs_.push_back({t, file});
        } else {
            AppendFolderLine(out, e->Location, e->DownloadDir, e->Address);
        }
    } else if (packed) {
        AppendItemLine(out, path, packed.Line(), packed.Verbatim());
    } else {
        AppendItemLine(out, path, *t->Entry(), kind == EntryKind::FtpSite);
    }
    // Only merged files: sites and their directories keep their
    // listing state in the same field.
    if (int id = t->EntryMapFileId(); id >= 1 && id <= SourceTable::kLastMergedId)
        indexLines_.push_back(std::to_string(id) + ":" + path);
    return descend;
}

bool CatalogWriter::WriteFile(const std::string& name, const std::vector<TreeItem*>& items,
                              bool mainFile) {
    if (!batch_->Begin(name)) return false;
    std::string out = FormatHeader(mainFile ? catalog_.ContentDateText() : std::string());
    AppendItems(out, items);
    batch_->Write(out);
    return batch_->End();
}

bool CatalogWriter::WriteIndex() {
    std::string index;
    bool exists = platform::ReadWholeFile(catalog_.DataPath(kIndexFile), index);
    if (!index.empty() && index.back() != '\n') index += '\n';
    std::unordered_set<std::string> present;
    const std::set<int>& removed = catalog_.PendingRemovals();
    bool added = false;
    if (!removed.empty()) {
        // The lines of files removed since the last save go first, so a
        // slot given to a new file meanwhile keeps only the new lines.
        std::string kept;
        size_t pos = 0;
        while (pos < index.size()) {
            size_t end = index.find('\n', pos);
            std::string line = index.substr(pos, end - pos);
            pos = end + 1;
            size_t colon = line.find(':');
            int id = 0;
            if (colon != std::string::npos && colon > 0 && colon < 4 &&
                line.find_first_not_of("0123456789") == colon)
                id = std::stoi(line.substr(0, colon));
            if (id != 0 && removed.count(id)) {
                added = true;  // the file changes
                continue;
            }
            kept += line;
            kept += '\n';
        }
        index.swap(kept);
    }
    size_t pos = 0;
    while (pos < index.size()) {
        size_t end = index.find('\n', pos);
        present.insert(index.substr(pos, end - pos));
        pos = end + 1;
    }
    for (const std::string& line : indexLines_) {
        if (!present.insert(line).second) continue;
        index += line;
        index += '\n';
        added = true;
    }
    if (exists && !added) return true;
    if (!batch_->Begin(kIndexFile)) return false;
    batch_->Write(index);
    return batch_->End();
}

bool CatalogWriter::Report() {
    // Creating a file fails only when the directory cannot take it.
    const std::string& error = batch_->Error();
    platform::CurrentPrompt().Message(
        error.find("cannot create") != std::string::npos ? std::string("Cannot Open File") : error);
    return false;
}

bool CatalogWriter::Save() {
    LoadUnreadFolders();
    ReserveNames();
    CatalogTree& tree = catalog_.Tree();
    FileBatch batch(catalog_.DataDirectory());
    batch_ = &batch;
    if (!WriteFile(kMainDataFile, ChildrenOf(tree.Top()), true)) return Report();
    for (size_t i = 0; i < jobs_.size(); ++i) {
        FolderJob job = jobs_[i];  // writing it may add jobs
        if (!WriteFile(job.file, ChildrenOf(job.folder), false)) return Report();
    }
    if (!WriteIndex()) return Report();
    SourceTable sources = catalog_.Sources();
    for (int id : catalog_.PendingRemovals()) sources.MarkDeleted(id);
    if (batch.Begin(kSourceTableFile)) {
        batch.Write(sources.Serialize());
        if (!batch.End()) return Report();
    } else {
        return Report();
    }
    if (!batch.Commit()) return Report();
    catalog_.Sources() = sources;
    catalog_.pendingRemovals_.clear();
    for (const FolderJob& job : jobs_) {
        CEntry* e = job.folder->Entry();
        tree.SetContentsLoaded(job.folder, true);
        if (e->DownloadDir != job.file) {
            e->DownloadDir = job.file;
            tree.EntryChanged(job.folder);
        }
    }
    return true;
}

}  // namespace catalog
