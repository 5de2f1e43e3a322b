// The interfaces through which the catalog reaches what it must not link:
// the main window (activating items of kinds the catalog cannot handle, the
// "Getting Data:" progress dialog) and the FTP client (fetching a data file
// from a server). The main window implements them; the command-line tool
// and the tests use their own.
#pragma once

#include <cstdint>
#include <string>

namespace catalog {

class TreeItem;

// What activating an item does beyond the catalog's own work.
class ActivationHandler {
public:
    virtual ~ActivationHandler() = default;
    // An FTP site without children: connect and list it.
    virtual void OpenSite(TreeItem* item) = 0;
    // An FTPDIR without children: list it.
    virtual void ListDirectory(TreeItem* item) = 0;
    // An FTPFILE: download it.
    virtual void DownloadSiteFile(TreeItem* item) = 0;
    // A map file: show its contents below it.
    virtual void OpenMapFile(TreeItem* item) = 0;
    // Any other entry: the Item Properties dialog.
    virtual void ShowItemProperties(TreeItem* item) = 0;
};

// Brings one file from an FTP server into a local file. Implemented over
// the FTP client, which reports its own errors to the user.
class DataFileFetcher {
public:
    virtual ~DataFileFetcher() = default;
    virtual bool Fetch(const std::string& host, const std::string& remotePath,
                       const std::string& localPath) = 0;
};

// Progress of reading a data file (the "Getting Data:" dialog).
class ReadProgress {
public:
    virtual ~ReadProgress() = default;
    // `text` is "Reading Data File:"; positions run from 0 to `range`.
    virtual void Begin(const std::string& text, std::int64_t range) = 0;
    virtual void Step(std::int64_t position) = 0;
    virtual void End() = 0;
};

}  // namespace catalog
