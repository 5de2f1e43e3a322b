#include "ui/folder_name_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "catalog/edit_rules.h"
#include "ui/dialog_fields.h"

namespace ui {

FolderNameDialog::FolderNameDialog(const QString& caption, const std::string& name, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(caption);
    setObjectName(QStringLiteral("folderNameDialog"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    name_ = AddLineField(form, QStringLiteral("Folder Name:"), "folderName", name);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &FolderNameDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

std::string FolderNameDialog::Name() const { return catalog::TrimmedName(FieldText(name_)); }

void FolderNameDialog::accept() {
    const std::string name = Name();
    if (!CheckPassed(name.empty() ? "You forgot to enter a name." : "", name_)) return;
    if (!CheckPassed(catalog::ColonProblem({{name, "name"}}), name_)) return;
    if (!CheckPassed(catalog::NameProblem(name), name_)) return;
    QDialog::accept();
}

}  // namespace ui
