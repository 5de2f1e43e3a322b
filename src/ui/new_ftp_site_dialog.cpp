#include "ui/new_ftp_site_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "catalog/edit_rules.h"
#include "store/scramble.h"
#include "ui/dialog_fields.h"

namespace ui {

NewFtpSiteDialog::NewFtpSiteDialog(const SiteFields& fields, bool rewriteAddress, QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("New FTP Site"));
    setObjectName(QStringLiteral("newFtpSiteDialog"));
    auto* layout = new QVBoxLayout(this);
    auto* form = new QFormLayout;
    layout->addLayout(form);
    name_ = AddLineField(form, QStringLiteral("Site Name:"), "siteName", fields.name);
    address_ = AddLineField(form, QStringLiteral("Address:"), "address", fields.address);
    directory_ = AddLineField(form, QStringLiteral("Starting Directory:"), "startingDirectory",
                              fields.directory);
    user_ = AddLineField(form, QStringLiteral("User Name:"), "userName", fields.user);
    password_ = AddLineField(form, QStringLiteral("Password:"), "password", fields.password);
    password_->setEchoMode(QLineEdit::Password);
    // Longer passwords cannot be scrambled for storing.
    password_->setMaxLength(static_cast<int>(store::kMaxScrambleText));
    if (rewriteAddress) {
        connect(name_, &QLineEdit::textChanged, this, [this](const QString& name) {
            address_->setText(QStringLiteral("ftp.%s.com").replace(QStringLiteral("%s"), name));
        });
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect_ = buttons->addButton(QStringLiteral("&Connect"), QDialogButtonBox::ActionRole);
    connect_->setObjectName(QStringLiteral("connect"));
    connect(buttons, &QDialogButtonBox::accepted, this, &NewFtpSiteDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(connect_, &QPushButton::clicked, this, [this] {
        if (Check()) done(kConnect);
    });
    layout->addWidget(buttons);
}

SiteFields NewFtpSiteDialog::Fields() const {
    return {catalog::TrimmedName(FieldText(name_)), FieldText(address_), FieldText(directory_),
            FieldText(user_), FieldText(password_)};
}

bool NewFtpSiteDialog::Check() {
    const SiteFields f = Fields();
    if (!CheckPassed(f.address.empty() ? "You need to enter an address." : "", address_))
        return false;
    if (!CheckPassed(f.name.empty() ? "You need to enter a name for this site." : "", name_))
        return false;
    // The user name is the line's last field and may hold colons; the
    // password is stored scrambled, which never holds one.
    const std::pair<const catalog::StoredField, QLineEdit*> fields[] = {
        {{f.name, "name"}, name_},
        {{f.address, "address"}, address_},
        {{f.directory, "starting directory"}, directory_},
    };
    for (const auto& [field, edit] : fields)
        if (!CheckPassed(catalog::ColonProblem({field}), edit)) return false;
    return CheckPassed(catalog::NameProblem(f.name), name_);
}

void NewFtpSiteDialog::accept() {
    if (Check()) QDialog::accept();
}

}  // namespace ui
