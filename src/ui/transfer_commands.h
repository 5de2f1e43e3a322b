// The main window's transfer commands: the direct download of a site's file,
// Item Properties (for catalog items and for files and directories of open
// sites), the Download command for catalog items, Upload, and the Transfer
// Log. What gets transferred where is decided below the widgets (the
// session and its site transfers); this class shows the dialogs around it.
#pragma once

#include <QString>
#include <functional>

#include "catalog/tree_item.h"
#include "session/catalog_session.h"

class QWidget;

namespace ui {

class TransferCommands {
public:
    // What the commands ask of the window; each may be empty.
    struct Hooks {
        std::function<void()> quit;                        // a new version is being installed
        std::function<void(const QString&)> note;          // a status-bar note
        std::function<void()> fetchFirstDataFile;          // a data file's Item Properties
        std::function<void(catalog::TreeItem*)> editSite;  // an FTP site's Item Properties
    };

    // Installs itself as the session's way of buying a priced item.
    TransferCommands(QWidget* window, session::CatalogSession& session, Hooks hooks);

    // FTPFILE: straight to skiff, binary, into the default download
    // directory; a name that would land elsewhere shows Item Properties.
    void DownloadSiteFile(catalog::TreeItem* item);
    // Item Properties by the kind of the item.
    void ShowItemProperties(catalog::TreeItem* item);
    // The Download command for an ordinary catalog item: straight to skiff
    // when its target lies below the default download directory, else
    // Item Properties first so the user sees where it would go.
    void DownloadCatalogItem(const catalog::TreeItem* item);
    // The Upload File dialog, then skiff, into the selected directory.
    void Upload(const catalog::TreeItem* selected);
    void ShowTransferLog();

private:
    void ShowSiteEntryProperties(const catalog::TreeItem* item);
    void ShowCatalogItemProperties(const catalog::TreeItem* item, const std::string& saveAs);
    void Quit();
    // Buys a priced catalog item: billing, password, the order dialog, skiff.
    bool Buy(const catalog::CEntry& entry, const std::string& localPath, bool* installAndQuit);

    QWidget* window_;
    session::CatalogSession& session_;
    Hooks hooks_;
};

}  // namespace ui
