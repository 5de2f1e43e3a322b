// The catalog as the main window owns it: the tree plus the state kept
// beside it (data directory, content date, current merged-file id, changed
// flag), and the operations on the data files: reading one into the tree,
// loading a folder's contents on activation, saving everything, removing
// the entries of one merged file, fetching a data file from the map server.
#pragma once

#include <cstdint>
#include <ctime>
#include <istream>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "catalog/c_entry.h"
#include "catalog/catalog_services.h"
#include "catalog/catalog_tree.h"
#include "catalog/file_prefetcher.h"
#include "catalog/source_table.h"

namespace catalog {

inline constexpr const char* kMainDataFile = "ambit.amb";
inline constexpr const char* kIndexFile = "hdata.dat";
inline constexpr const char* kFetchedDataFile = "temp.amb";
inline constexpr const char* kMapFilesDirectory = "MapFiles";
inline constexpr const char* kFirstDataFilePath = "/pub/Ambit/first.amb";
inline constexpr const char* kMapServerSitePath = "/pub/Ambit";
inline constexpr const char* kMapServerSiteName = "Ambit";

// The built-in map server: $AMBIT_MAP_SERVER, else DefaultMapServerAddress().
std::string MapServerAddress();
std::string DefaultMapServerAddress();
// Not empty, no "/", not "." or "..": a name read from a data file must be
// this before it names a local file.
bool IsPlainFileName(const std::string& name);

// A name ending in ".amb" in any letter case: activating such an item, or
// asking for its properties, fetches the first data file.
bool EndsWithDataExtension(const std::string& name);

class Catalog {
public:
    // `dataDirectory` is absolute; every file of the catalog lives there.
    explicit Catalog(std::string dataDirectory);
    ~Catalog();

    CatalogTree& Tree() { return tree_; }
    const CatalogTree& Tree() const { return tree_; }
    const std::string& DataDirectory() const { return dataDirectory_; }
    // Where later reads of folder files and saves go (resaving elsewhere).
    void SetDataDirectory(std::string directory) { dataDirectory_ = std::move(directory); }
    std::string DataPath(const std::string& name) const;

    // Services; none installed means: no progress shown, activation of
    // other kinds does nothing, fetches fail.
    void SetActivationHandler(ActivationHandler* h) { activation_ = h; }
    void SetFetcher(DataFileFetcher* f) { fetcher_ = f; }
    void SetProgress(ReadProgress* p) { progress_ = p; }

    bool Changed() const { return changed_; }
    void SetChanged(bool changed = true) { changed_ = changed; }
    int CurrentMergedId() const { return currentMergedId_; }
    // The "%CCon=" text of the last data file read, and its date (0: none).
    const std::string& ContentDateText() const { return contentDateText_; }
    std::time_t ContentDate() const { return contentDate_; }
    SourceTable& Sources() { return sources_; }
    // Forgets every merged source and pending removal: the catalog they
    // described is gone (a first data file fetched afresh).
    void ForgetSources();
    // The sources the "Map  Info:" list shows: slot number and line, in
    // slot order, leaving out those removed since the last save.
    std::vector<std::pair<int, std::string>> ListSources() const;
    // Merged ids whose entries were removed since the last save; their
    // index lines and sources go with the next save.
    const std::set<int>& PendingRemovals() const { return pendingRemovals_; }

    // Start-up: the root folder "All" and the map server's site below it.
    TreeItem* InsertRootItems(const std::string& mapServerAddress,
                              const std::string& scrambledPassword);
    // Reads ambit.amb if it exists, and the merged-source table from
    // hosts.dat. False (asking nothing) when ambit.amb cannot be opened; an
    // invalid file is asked about as ReadDataFile does.
    bool LoadMainDataFile();

    // Reads a data file into the tree; `prefix` goes in front of every
    // location, `mapFileId` into every entry. A wrong version is asked
    // about ("... not valid ...") and nothing is read. False when nothing
    // was read.
    bool ReadDataFile(std::istream& in, const std::string& prefix, int mapFileId);
    bool ReadDataFile(const std::string& path, const std::string& prefix, int mapFileId);
    // Merges a data file into the main catalog under `mapFileId`, leaving
    // out every entry the tree already holds at the same place with the
    // same texts (whatever its id), so merging a file again adds nothing
    // twice. False when nothing was read.
    bool MergeDataFile(const std::string& path, int mapFileId);

    // Activation of the selected item (double click, Enter).
    void ActivateItem(TreeItem* item);
    // Reads a childless folder's contents file, asking to fetch a missing
    // or invalid one. True when it was read.
    bool LoadFolderContents(TreeItem* folder);
    // Loads every folder whose contents file exists and was not read yet,
    // again and again until nothing more loads; returns how many were read.
    size_t LoadAllFolders();

    // Writes ambit.amb, each folder's contents file, the index and
    // hosts.dat, each file whole or not at all. Clears the changed flag
    // when everything was written; problems are reported through the
    // prompt and returned.
    bool SaveCatalog();
    // Removes the entries of merged file `id` from the tree: those that
    // still carry the id and those the index names for it. The index
    // lines go with the next save, so an unsaved removal leaves the files
    // on disk consistent.
    bool RemoveMergedEntries(int id);

    // Fetches the map server's first data file into the tree.
    bool FetchFirstDataFile();
    // mode 1: into the tree (through temp.amb); mode 2: into the MapFiles
    // directory (the caller adds it as a map file). True when received.
    bool FetchDataFile(const std::string& host, const std::string& remotePath, int mode);
    // Where FetchDataFile puts a file of the given mode; empty when a mode-2
    // path does not end in a plain file name.
    std::string FetchedFilePath(const std::string& remotePath, int mode) const;
    // Gets a new data file for the selected item: a folder's contents file,
    // else the map server's first data file.
    bool FetchDataFileFor(const TreeItem* item);

private:
    friend class CatalogWriter;
    // Merge: a file joining the catalog. FolderContents: a folder's own
    // contents file, which leaves the content date alone and skips entries
    // the folder already holds.
    // MergeNew: Merge, leaving out entries the tree holds already.
    enum class ReadMode { Merge, MergeNew, FolderContents };
    enum class LoadResult { Loaded, Missing, Invalid };
    bool ReadStream(std::istream& in, std::int64_t length, const std::string& prefix, int mapFileId,
                    ReadMode mode);
    // `prefetched`: the folder's file as read ahead, used when it is the
    // file the folder names now.
    LoadResult LoadContents(TreeItem* folder, const FilePrefetcher::File* prefetched = nullptr);
    bool FetchFolderFile(const CEntry& folder);
    bool OfferFetch(const std::string& question);

    std::string dataDirectory_;
    CatalogTree tree_;
    SourceTable sources_;
    ActivationHandler* activation_ = nullptr;
    DataFileFetcher* fetcher_ = nullptr;
    ReadProgress* progress_ = nullptr;
    bool changed_ = false;
    int currentMergedId_ = 0;
    std::set<int> pendingRemovals_;
    std::string contentDateText_;
    std::time_t contentDate_ = 0;
    // While LoadAllFolders runs: folder entries the reads bring in.
    std::vector<TreeItem*>* newFolders_ = nullptr;
};

}  // namespace catalog
