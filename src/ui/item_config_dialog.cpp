#include "ui/item_config_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QVBoxLayout>

#include "catalog/edit_rules.h"
#include "ui/dialog_fields.h"

namespace ui {

ItemConfigDialog::ItemConfigDialog(const catalog::CEntry& fields, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Item Configuration"));
    setObjectName(QStringLiteral("itemConfigDialog"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    name_ = AddLineField(form, QStringLiteral("Name:"), "name", fields.Name);
    address_ = AddLineField(form, QStringLiteral("Address:"), "address", fields.Address);
    path_ = AddLineField(form, QStringLiteral("Path:"), "path", fields.Path);
    downloadDir_ = AddLineField(form, QStringLiteral("Download Directory:"), "downloadDir",
                                fields.DownloadDir);
    price_ = AddLineField(form, QStringLiteral("Price:"), "price", fields.Price);
    description_ = new QPlainTextEdit(QString::fromStdString(fields.Description), this);
    description_->setObjectName(QStringLiteral("description"));
    description_->setTabChangesFocus(true);
    description_->setFixedHeight(72);
    form->addRow(QStringLiteral("Description:"), description_);
    date_ = AddLineField(form, QStringLiteral("Date:"), "date", fields.Date);
    size_ = AddLineField(form, QStringLiteral("Size:"), "size", fields.Size);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &ItemConfigDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

catalog::CEntry ItemConfigDialog::Fields() const {
    catalog::CEntry e;
    e.Name = catalog::TrimmedName(FieldText(name_));
    e.Address = FieldText(address_);
    e.Path = FieldText(path_);
    e.DownloadDir = FieldText(downloadDir_);
    e.Price = FieldText(price_);
    e.Description = description_->toPlainText().toStdString();
    e.Date = FieldText(date_);
    e.Size = FieldText(size_);
    return e;
}

void ItemConfigDialog::accept() {
    const catalog::CEntry e = Fields();
    if (!CheckPassed(e.Name.empty() ? "You forgot to enter a name." : "", name_)) return;
    if (!CheckPassed(e.Address.empty() ? "You forgot to enter an address." : "", address_)) return;
    if (!CheckPassed(e.Path.empty() ? "You forgot to enter a path." : "", path_)) return;
    if (!CheckPassed(e.Description.find(':') == std::string::npos
                         ? ""
                         : "Please do not use colons in the description.",
                     description_))
        return;
    // The download directory is the line's last field and may hold colons.
    const std::pair<const catalog::StoredField, QWidget*> others[] = {
        {{e.Name, "name"}, name_},    {{e.Address, "address"}, address_}, {{e.Path, "path"}, path_},
        {{e.Price, "price"}, price_}, {{e.Date, "date"}, date_},          {{e.Size, "size"}, size_},
    };
    for (const auto& [field, edit] : others)
        if (!CheckPassed(catalog::ColonProblem({field}), edit)) return;
    if (!CheckPassed(catalog::NameProblem(e.Name), name_)) return;
    QDialog::accept();
}

}  // namespace ui
