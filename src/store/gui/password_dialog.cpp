#include "store/gui/password_dialog.h"

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

PasswordDialog::PasswordDialog(Purpose purpose, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Password:"));
    password_ = PasswordField(this, "password");

    auto* layout = new QVBoxLayout(this);
    if (purpose == Purpose::Choose) {
        setObjectName(QStringLiteral("ChoosePasswordDialog"));
        retype_ = PasswordField(this, "retype");
        auto* form = new QFormLayout;
        form->addRow(QStringLiteral("Please Choose a Password"), password_);
        form->addRow(QStringLiteral("Re-type Password"), retype_);
        layout->addLayout(form);
    } else {
        setObjectName(QStringLiteral("EnterPasswordDialog"));
        auto* prompt = new QLabel(QStringLiteral("Please enter your password"), this);
        prompt->setBuddy(password_);
        layout->addWidget(prompt);
        layout->addWidget(password_);
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &PasswordDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &PasswordDialog::reject);
    layout->addWidget(buttons);
    password_->setFocus();
}

std::string PasswordDialog::Password() const { return password_->text().toStdString(); }

void PasswordDialog::accept() {
    if (!retype_) {
        if (password_->text().isEmpty()) {
            platform::CurrentPrompt().Message("Please type in a password.");
            password_->setFocus();
            return;
        }
    } else if (PasswordTooShort(Password())) {
        platform::CurrentPrompt().Message(
            "Plase use a password that is at least 6 characters long");
        password_->setFocus();
        return;
    } else if (password_->text() != retype_->text()) {
        platform::CurrentPrompt().Message("Your passwords are different");
        retype_->setFocus();
        return;
    }
    QDialog::accept();
}

std::optional<std::string> PasswordDialog::Ask(Purpose purpose, QWidget* parent) {
    PasswordDialog dialog(purpose, parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Password();
}

}  // namespace store::gui
