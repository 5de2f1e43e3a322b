// The window's map-file commands: the map-file menu (Merge, Update, Add),
// opening a map file on activation, "Map  Info:", adding a server folder
// and getting a new data file for the selected item. The work is the
// catalog's; this class asks for what the user must type and shows the
// result in the tree.
#pragma once

namespace catalog {
class TreeItem;
}

namespace ui {

class CClientView;
class CommandTable;

class MapFileCommands {
public:
    explicit MapFileCommands(CClientView& view) : view_(view) {}

    void Install(CommandTable& commands);
    // Activation of a map-file item: its contents, shown below it.
    void Open(catalog::TreeItem* item);

    void Merge();
    void Update();
    // Asks for a path on the map server and fetches that map file.
    void Add();
    void GetNewDataFile();
    void AddServerFolder();
    void ShowMapInfo();

private:
    catalog::TreeItem* SelectedMapFile() const;

    CClientView& view_;
};

}  // namespace ui
