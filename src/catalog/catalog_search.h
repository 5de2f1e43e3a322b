// Finding items of the catalog by a piece of their name or description,
// for the filter over the main tree. The loaded tree is indexed once per
// change of the tree (one folded text per item, see TextIndex), and the
// children of each node get consecutive numbers, so whether a row stays
// visible is one table lookup: a view asks that for every row it shows.
// An item is kept when it matches or when something below it does.
//
// Optionally the contents files of folders not loaded yet are searched
// too, with the data-file reader's own line rules, without touching the
// tree, the changed flag or any file: such a folder is kept when its file
// (or a file of a folder inside it) holds matches, and says how many.
// Their indexes are kept between searches and read again when the file
// changes on disk.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "catalog/text_index.h"

namespace catalog {

class Catalog;
class TreeItem;

class CatalogSearch {
public:
    // A contents file longer than this is not searched (it counts no
    // matches); the reader would take it, but a search must stay quick.
    static constexpr std::int64_t kMaxFileBytes = std::int64_t{256} << 20;

    explicit CatalogSearch(const Catalog& catalog);
    ~CatalogSearch();
    CatalogSearch(const CatalogSearch&) = delete;
    CatalogSearch& operator=(const CatalogSearch&) = delete;

    // Searches for `text` as typed (any case); empty text ends the search
    // and keeps every row. `unloaded`: also search folders not loaded yet.
    void Search(std::string_view text, bool unloaded);
    // Searches again with the same text (the tree changed).
    void Refresh();
    bool Active() const { return !needle_.empty(); }
    const std::string& Text() const { return text_; }
    bool SearchesUnloaded() const { return unloaded_; }
    // Whether the result still describes the tree; if not, Refresh.
    bool Current() const;

    // Whether row `row` of `parent` (the tree's top node for top-level
    // items) stays visible. Every row does while no search is active, and
    // rows the last search did not see (the tree changed since).
    bool Accepts(const TreeItem* parent, int row) const;
    // Whether the item itself matches the text.
    bool IsMatch(const TreeItem* item) const;
    // Whether some child of a kept item stays visible, or may (its file
    // holds matches, or the search has not seen the item's children yet).
    bool ShowsChildren(const TreeItem* item) const;

    // Indexes the tree now if it changed, and with `unloaded` reads the
    // files of folders not loaded, so the next search is quick.
    void Prepare(bool unloaded = false);

    // Items of the loaded tree that match.
    std::size_t MatchCount() const { return hits_ ? hits_->size() : 0; }
    // Matches in the files of folders not loaded yet, and in how many of
    // those folders.
    std::size_t UnloadedMatchCount() const { return unloadedMatches_; }
    std::size_t UnloadedFolderCount() const { return unloadedCounts_.size(); }
    // The matches in one folder's files; 0 for a loaded folder.
    std::size_t UnloadedMatches(const TreeItem* folder) const;

    // The loaded folders on the way to the first `limit` matches (in
    // order of depth), which a view opens to show them; never a folder
    // that is not loaded, since opening that would load it.
    std::vector<const TreeItem*> FoldersToShow(std::size_t limit) const;

private:
    struct ContentsFile;
    static constexpr std::uint32_t kNone = 0xFFFFFFFFu;
    // Bits of kept_: the item shows; a child of it shows.
    static constexpr char kKept = 1;
    static constexpr char kHoldsKept = 2;

    void BuildIndex();
    std::uint32_t Number(const TreeItem* item) const;
    void SearchUnloaded();
    ContentsFile* FileNamed(const std::string& name);
    std::size_t CountInClosure(std::uint32_t folder, const std::string& name);
    std::vector<ContentsFile*> Closure(const std::string& name,
                                       std::unordered_set<std::string>& seen);

    const Catalog& catalog_;
    std::string text_;
    std::string needle_;
    bool unloaded_ = false;

    // The loaded tree: item n, its parent's number, the first number of
    // each node's children, its folded text. Valid for revision_ only.
    bool built_ = false;
    std::uint64_t revision_ = 0;
    std::vector<const TreeItem*> items_;
    std::vector<std::uint32_t> parents_;
    std::unordered_map<const TreeItem*, std::uint32_t> firstChild_;
    std::vector<std::uint32_t> unloadedFolders_;
    TextIndex texts_;
    NarrowingSearch narrowing_;
    const TextIndex::Hits* hits_ = nullptr;
    std::vector<char> kept_;

    // Folders not loaded yet: contents files by name, and this search's
    // count per folder number and per file.
    std::unordered_map<std::string, std::unique_ptr<ContentsFile>> files_;
    std::uint64_t statRound_ = 0;
    std::unordered_map<std::uint32_t, std::size_t> unloadedCounts_;
    std::uint64_t searchRound_ = 0;
    // The files each unloaded folder reaches, as of statRound_ closureRound_.
    std::unordered_map<std::uint32_t, std::vector<ContentsFile*>> closures_;
    std::uint64_t closureRound_ = 0;
    std::size_t unloadedMatches_ = 0;
};

}  // namespace catalog
