#include "ui/server_config_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "catalog/edit_rules.h"
#include "ui/dialog_fields.h"

namespace ui {

ServerConfigDialog::ServerConfigDialog(const std::string& name, const std::string& address,
                                       QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Server Configuration"));
    setObjectName(QStringLiteral("serverConfigDialog"));
    const size_t slash = address.find('/');
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    name_ = AddLineField(form, QStringLiteral("Server Name:"), "serverName", name);
    address_ = AddLineField(form, QStringLiteral("Address:"), "address", address.substr(0, slash));
    path_ = AddLineField(form, QStringLiteral("Path to adf file:"), "adfPath",
                         slash == std::string::npos ? std::string() : address.substr(slash));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &ServerConfigDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

std::string ServerConfigDialog::Name() const { return FieldText(name_); }

std::string ServerConfigDialog::Address() const { return FieldText(address_) + FieldText(path_); }

void ServerConfigDialog::accept() {
    // A folder line keeps only the text after its last ":" as the address.
    const std::string name = Name(), address = FieldText(address_), path = FieldText(path_);
    const std::pair<const catalog::StoredField, QLineEdit*> fields[] = {
        {{name, "name"}, name_},
        {{address, "address"}, address_},
        {{path, "path"}, path_},
    };
    for (const auto& [field, edit] : fields)
        if (!CheckPassed(catalog::ColonProblem({field}), edit)) return;
    QDialog::accept();
}

}  // namespace ui
