#include "ui/map_file_commands.h"

#include <QInputDialog>

#include "catalog/catalog.h"
#include "catalog/map_files.h"
#include "platform/prompt.h"
#include "ui/client_view.h"
#include "ui/command_table.h"
#include "ui/map_info_dialog.h"
#include "ui/server_config_dialog.h"

namespace ui {

void MapFileCommands::Install(CommandTable& commands) {
    commands.SetHandler(Effect::MergeMapFile, [this] { Merge(); });
    commands.SetHandler(Effect::UpdateMapFileItem, [this] { Update(); });
    commands.SetHandler(Effect::AddMapFile, [this] { Add(); });
    commands.SetHandler(Effect::NewDataFileForItem, [this] { GetNewDataFile(); });
    commands.SetHandler(Effect::AddMapServer, [this] { AddServerFolder(); });
    commands.SetHandler(Effect::MapInfo, [this] { ShowMapInfo(); });
}

catalog::TreeItem* MapFileCommands::SelectedMapFile() const {
    catalog::TreeItem* item = view_.SelectedItem();
    return item && item->Entry() && item->Entry()->IsMapFile() ? item : nullptr;
}

void MapFileCommands::Open(catalog::TreeItem* item) {
    if (catalog::MapFiles(view_.Catalog()).OpenMapFile(item)) view_.ExpandItem(item);
}

void MapFileCommands::Merge() {
    catalog::TreeItem* item = SelectedMapFile();
    if (!item) return;
    if (catalog::MapFiles(view_.Catalog()).Merge(item) == catalog::MapFiles::MergeResult::Kept)
        view_.ExpandItem(item);
    emit view_.SelectionChanged();
}

void MapFileCommands::Update() {
    if (catalog::TreeItem* item = SelectedMapFile())
        catalog::MapFiles(view_.Catalog()).Update(item);
    emit view_.SelectionChanged();
}

void MapFileCommands::Add() {
    bool ok = false;
    QString path = QInputDialog::getText(
        &view_, QStringLiteral("Add Map File"),
        QStringLiteral("Path of the map file on the map server:"), QLineEdit::Normal,
        QString::fromStdString(view_.Session().Settings().MapPath()), &ok);
    if (!ok || path.trimmed().isEmpty()) return;
    catalog::MapFiles maps(view_.Catalog());
    if (maps.FetchMapFile(catalog::MapServerAddress(), path.trimmed().toStdString())) {
        catalog::CatalogTree& tree = view_.Catalog().Tree();
        if (catalog::TreeItem* root = tree.RootItem())
            if (catalog::TreeItem* folder = tree.FindChild(root, catalog::kMapFilesText))
                view_.ExpandItem(folder);
    }
    emit view_.SelectionChanged();
}

void MapFileCommands::GetNewDataFile() {
    view_.Catalog().FetchDataFileFor(view_.SelectedItem());
    emit view_.SelectionChanged();
}

void MapFileCommands::AddServerFolder() {
    ServerConfigDialog dialog("", "", &view_);
    if (dialog.exec() != QDialog::Accepted) return;
    if (dialog.Name().empty()) {
        platform::CurrentPrompt().Message("You forgot to enter a name.");
        return;
    }
    catalog::TreeItem* item =
        catalog::MapFiles(view_.Catalog())
            .AddServerFolder(view_.SelectedItem(), dialog.Name(), dialog.Address(), std::string());
    if (item) view_.SelectItem(item);
}

void MapFileCommands::ShowMapInfo() {
    MapInfoDialog dialog(view_.Catalog(), &view_);
    dialog.exec();
    emit view_.SelectionChanged();
}

}  // namespace ui
