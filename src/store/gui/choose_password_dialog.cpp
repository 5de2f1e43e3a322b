#include "store/gui/choose_password_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "platform/prompt.h"
#include "store/gui/scramble_length_validator.h"
#include "store/password.h"

namespace store::gui {

namespace {

QLineEdit* PasswordField(QWidget* parent, const char* name) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(QLatin1String(name));
    field->setEchoMode(QLineEdit::Password);
    LimitForScrambling(field);
    return field;
}

}  // namespace

ChoosePasswordDialog::ChoosePasswordDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Password:"));
    setObjectName(QStringLiteral("ChoosePasswordDialog"));

    password_ = PasswordField(this, "password");
    retype_ = PasswordField(this, "retype");

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Please Choose a Password"), password_);
    form->addRow(QStringLiteral("Re-type Password"), retype_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &ChoosePasswordDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &ChoosePasswordDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    password_->setFocus();
}

std::string ChoosePasswordDialog::Password() const { return password_->text().toStdString(); }

void ChoosePasswordDialog::accept() {
    std::string password = Password();
    if (PasswordTooShort(password)) {
        platform::CurrentPrompt().Message(
            "Plase use a password that is at least 6 characters long");
        password_->setFocus();
        return;
    }
    if (password_->text() != retype_->text()) {
        platform::CurrentPrompt().Message("Your passwords are different");
        retype_->setFocus();
        return;
    }
    QDialog::accept();
}

std::optional<std::string> ChoosePasswordDialog::Ask(QWidget* parent) {
    ChoosePasswordDialog dialog(parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Password();
}

}  // namespace store::gui
