// The enable rules of the catalog commands. Every rule tests for an entry
// first: an item without one (a plain folder) is never taken for an entry.
#include "catalog/command_rules.h"

#include "catalog/catalog_tree.h"

namespace catalog {
namespace {

bool IsSiteOrRemote(EntryKind k) {
    return k == EntryKind::FtpSite || k == EntryKind::FtpDir || k == EntryKind::FtpFile;
}

}  // namespace

bool IsCommandEnabled(CatalogCommand command, const TreeItem* selected) {
    const CEntry* e = selected ? selected->Entry() : nullptr;
    const bool plainFolder = selected && !e;
    const EntryKind k = e ? e->Kind() : EntryKind::Item;
    const bool fromMapFile = e && e->MapFileId == kMapFileContentId;
    // An empty listing leaves no children, yet the site is open and the
    // directory can be listed again.
    const bool listed = e && (k == EntryKind::FtpSite || k == EntryKind::FtpDir) &&
                        (selected->HasChildren() || StateOf(*e) == ListingState::Listed);
    switch (command) {
        case CatalogCommand::Download:
            return e && k != EntryKind::Folder && k != EntryKind::FtpSite &&
                   k != EntryKind::FtpDir && e->IsFree();
        case CatalogCommand::ItemProperties:
            return e && k != EntryKind::Folder;
        case CatalogCommand::Edit:
            return plainFolder || (e && k != EntryKind::FtpDir && k != EntryKind::FtpFile);
        case CatalogCommand::NewFolder:
            if (plainFolder) return selected->Text() != kFtpSitesText;
            return e && !IsSiteOrRemote(k) && !fromMapFile;
        case CatalogCommand::Add:
            return !selected || plainFolder || (e && !IsSiteOrRemote(k) && !fromMapFile);
        case CatalogCommand::Delete:
            return plainFolder ||
                   (e && k != EntryKind::FtpDir && k != EntryKind::FtpFile && !fromMapFile);
        case CatalogCommand::GetNewDataFile:
            return e && !IsSiteOrRemote(k) && (k == EntryKind::Folder || e->Description != kNone);
        case CatalogCommand::Upload:
            return e && IsSiteOrRemote(k);
        case CatalogCommand::UploadFile:
            return e && (k == EntryKind::FtpDir || k == EntryKind::FtpFile ||
                         (k == EntryKind::FtpSite && listed));
        case CatalogCommand::UpdateMapFile:
            return e && k == EntryKind::MapFile && !e->Address.empty() && !e->Path.empty();
        case CatalogCommand::OpenSite:
            return plainFolder || (selected && !selected->HasChildren());
        case CatalogCommand::Refresh:
            return plainFolder || (selected && selected->HasChildren()) || listed;
        case CatalogCommand::CloseSite:
            return k == EntryKind::FtpSite && listed;
        case CatalogCommand::AddFtpServer:
        case CatalogCommand::AddServer:
        case CatalogCommand::FetchMapFile:
        case CatalogCommand::NewFtpSite:
        case CatalogCommand::Always:
            return true;
    }
    return false;
}

SelectionKind SelectedKind(const TreeItem* selected) {
    const CEntry* e = selected ? selected->Entry() : nullptr;
    if (!e) return SelectionKind::CatalogItem;
    if (e->Path == kFtpFilePath) return SelectionKind::SiteFile;
    if (e->Path == kFtpDirPath) return SelectionKind::SiteDirectory;
    if (e->Description == kFtpSiteDescription) return SelectionKind::Site;
    if (e->Description == kMapFileDescription) return SelectionKind::MapFile;
    return SelectionKind::CatalogItem;
}

}  // namespace catalog
