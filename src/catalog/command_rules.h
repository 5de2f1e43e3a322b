// Which catalog commands the selected item allows, as one function of the
// selection, so menus, toolbar and context menus all agree.
#pragma once

namespace catalog {

class TreeItem;

enum class CatalogCommand {
    Download,        // "&Download", "Down&load", toolbar Download
    ItemProperties,  // "Item &Properties", "&Properties", download to default dir
    Edit,            // "&Edit"
    NewFolder,       // "&New Folder"
    Add,             // "&Add"
    Delete,          // "De&lete", "&Delete"
    GetNewDataFile,  // get a new data file for the selected item
    Upload,          // "&Upload"
    UploadFile,      // "&Upload File"
    UpdateMapFile,   // "&Update" in the map-file menu
    OpenSite,        // "&Open Site"
    Refresh,         // "&Refresh"
    CloseSite,       // "&Close Site"
    AddFtpServer,    // always enabled
    AddServer,       // always enabled
    FetchMapFile,    // "Update &Map File": always enabled
    NewFtpSite,      // always enabled
    Always,          // commands that do not act on the selection (Save, Exit, Help...)
};

// What the selection is, as far as context menus and the status bar care.
// The values are the ones the menus were numbered by.
enum class SelectionKind {
    CatalogItem = 0,  // anything not listed below, or no selection
    SiteFile = 1,
    MapFile = 2,
    SiteDirectory = 3,
    Site = 4,
};

// `selected` is the caret item, or null when nothing is selected.
bool IsCommandEnabled(CatalogCommand command, const TreeItem* selected);

// The kind that picks context menus and the status-bar indicator.
SelectionKind SelectedKind(const TreeItem* selected);

}  // namespace catalog
