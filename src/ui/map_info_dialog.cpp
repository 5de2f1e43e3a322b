#include "ui/map_info_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "catalog/catalog.h"
#include "platform/prompt.h"

namespace ui {
namespace {

constexpr int kSlotRole = Qt::UserRole;
// clang-format off
constexpr const char* kDeleteQuestion = "Are you sure you would like to delete all of the \n entries associated with this file?";
// clang-format on

}  // namespace

MapInfoDialog::MapInfoDialog(catalog::Catalog& catalog, QWidget* parent)
    : QDialog(parent), catalog_(catalog) {
    setWindowTitle(QStringLiteral("Map  Info:"));
    setObjectName(QStringLiteral("mapInfoDialog"));
    auto* layout = new QVBoxLayout(this);
    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("sources"));
    list_->setRootIsDecorated(false);
    list_->setHeaderLabels(
        {QStringLiteral("Map file"), QStringLiteral("Server"), QStringLiteral("Path")});
    list_->header()->setStretchLastSection(true);
    layout->addWidget(list_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    delete_ = buttons->addButton(QStringLiteral("&Delete"), QDialogButtonBox::ActionRole);
    delete_->setObjectName(QStringLiteral("deleteButton"));
    connect(delete_, &QPushButton::clicked, this, [this] { DeleteSelected(); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    resize(520, 260);

    catalog_.Sources().Save(catalog_.DataDirectory());
    Fill();
}

void MapInfoDialog::Fill() {
    list_->clear();
    for (const auto& [slot, line] : catalog_.ListSources()) {
        // Items of a QTreeWidget are plain text: names from map files are
        // shown as they are.
        auto* item = new QTreeWidgetItem(list_, QString::fromStdString(line).split(u'\t'));
        item->setData(0, kSlotRole, slot);
    }
    if (list_->topLevelItemCount() > 0) list_->setCurrentItem(list_->topLevelItem(0));
    delete_->setEnabled(list_->topLevelItemCount() > 0);
}

bool MapInfoDialog::DeleteSelected() {
    QTreeWidgetItem* item = list_->currentItem();
    if (!item) return false;
    if (!platform::CurrentPrompt().AskYesNo(kDeleteQuestion)) return false;
    // The slot, not the row: rows close up after a deleted source.
    if (!catalog_.RemoveMergedEntries(item->data(0, kSlotRole).toInt())) return false;
    delete item;
    delete_->setEnabled(list_->topLevelItemCount() > 0);
    return true;
}

}  // namespace ui
