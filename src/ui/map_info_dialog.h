// "Map  Info:": the map files merged into the catalog, one row per source
// (name, server, path), and a Delete button that takes one source's
// entries out of the tree again. Opening it writes hosts.dat, so the file
// shows the sources merged so far even before the catalog is saved.
#pragma once

#include <QDialog>

class QPushButton;
class QTreeWidget;

namespace catalog {
class Catalog;
}

namespace ui {

class MapInfoDialog : public QDialog {
    Q_OBJECT
public:
    explicit MapInfoDialog(catalog::Catalog& catalog, QWidget* parent = nullptr);

    QTreeWidget* List() const { return list_; }
    QPushButton* DeleteButton() const { return delete_; }

    // Removes the selected source's entries after asking; true when it did.
    bool DeleteSelected();

private:
    void Fill();

    catalog::Catalog& catalog_;
    QTreeWidget* list_;
    QPushButton* delete_;
};

}  // namespace ui
