#include "store/gui/enter_password_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "platform/prompt.h"
#include "store/gui/scramble_length_validator.h"

namespace store::gui {

EnterPasswordDialog::EnterPasswordDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Password:"));
    setObjectName(QStringLiteral("EnterPasswordDialog"));

    auto* prompt = new QLabel(QStringLiteral("Please enter your password"), this);
    password_ = new QLineEdit(this);
    password_->setObjectName(QStringLiteral("password"));
    password_->setEchoMode(QLineEdit::Password);
    LimitForScrambling(password_);
    prompt->setBuddy(password_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &EnterPasswordDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &EnterPasswordDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt);
    layout->addWidget(password_);
    layout->addWidget(buttons);
    password_->setFocus();
}

std::string EnterPasswordDialog::Password() const { return password_->text().toStdString(); }

void EnterPasswordDialog::accept() {
    if (password_->text().isEmpty()) {
        platform::CurrentPrompt().Message("Please type in a password.");
        password_->setFocus();
        return;
    }
    QDialog::accept();
}

std::optional<std::string> EnterPasswordDialog::Ask(QWidget* parent) {
    EnterPasswordDialog dialog(parent);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Password();
}

}  // namespace store::gui
