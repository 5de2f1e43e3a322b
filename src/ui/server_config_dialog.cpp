#include "ui/server_config_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QVBoxLayout>

namespace ui {
namespace {

QLineEdit* AddField(QFormLayout* form, const QString& label, const char* name,
                    const std::string& text) {
    auto* edit = new QLineEdit(QString::fromStdString(text));
    edit->setObjectName(QString::fromUtf8(name));
    form->addRow(label, edit);
    return edit;
}

}  // namespace

ServerConfigDialog::ServerConfigDialog(const std::string& name, const std::string& address,
                                       QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Server Configuration"));
    setObjectName(QStringLiteral("serverConfigDialog"));
    const size_t slash = address.find('/');
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    name_ = AddField(form, QStringLiteral("Server Name:"), "serverName", name);
    address_ = AddField(form, QStringLiteral("Address:"), "address", address.substr(0, slash));
    path_ = AddField(form, QStringLiteral("Path to adf file:"), "adfPath",
                     slash == std::string::npos ? std::string() : address.substr(slash));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

std::string ServerConfigDialog::Name() const { return name_->text().toStdString(); }

std::string ServerConfigDialog::Address() const {
    return address_->text().toStdString() + path_->text().toStdString();
}

}  // namespace ui
