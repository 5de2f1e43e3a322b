#include "ui/options_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/prompt.h"
#include "store/gui/scramble_length_validator.h"

namespace ui {
namespace {

QLineEdit* Edit(QWidget* parent, const std::string& text, const char* name) {
    auto* edit = new QLineEdit(QString::fromStdString(text), parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMinimumWidth(280);
    return edit;
}

}  // namespace

OptionsDialog::OptionsDialog(const session::AmbitSettings& current, QWidget* parent)
    : QDialog(parent), base_(current) {
    setWindowTitle(QStringLiteral("Options"));
    setObjectName(QStringLiteral("optionsDialog"));

    email_ = Edit(this, current.email, "email");
    // The address travels scrambled to the transfer program.
    store::gui::LimitForScrambling(email_);
    downloadDir_ = Edit(this, current.downloadDir, "downloadDir");
    deleteConfirmation_ = new QCheckBox(QStringLiteral("Prompt before deletion?"), this);
    deleteConfirmation_->setObjectName(QStringLiteral("deleteConfirmation"));
    // A first-time user gets the safe choice whatever was stored.
    deleteConfirmation_->setChecked(current.deleteConfirmation != 0 ||
                                    current.email == session::kPlaceholderEmail);
    lastItem_ = new QCheckBox(QStringLiteral("Cache Site Info?"), this);
    lastItem_->setObjectName(QStringLiteral("lastItem"));
    lastItem_->setChecked(current.lastItem != 0);
    serverAddress_ = Edit(this, current.serverAddress, "serverAddress");
    serverPath_ = Edit(this, current.serverPath, "serverPath");

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("E-mail Address:"), email_);
    form->addRow(QStringLiteral(" Default Download Directory:"), downloadDir_);
    auto* checks = new QHBoxLayout;
    checks->addWidget(deleteConfirmation_);
    checks->addWidget(lastItem_);
    checks->addStretch();
    form->addRow(checks);

    auto* server = new QGroupBox(QStringLiteral("Default MapFile Server"), this);
    auto* serverForm = new QFormLayout(server);
    serverForm->addRow(QStringLiteral("Server Address:"), serverAddress_);
    serverForm->addRow(QStringLiteral("Path to .amb file"), serverPath_);

    billing_ = new QPushButton(QStringLiteral("&Billing"), this);
    billing_->setObjectName(QStringLiteral("billing"));
    erase_ = new QPushButton(QStringLiteral("Erase Info"), this);
    erase_->setObjectName(QStringLiteral("eraseInfo"));
    // Billing edits go to the settings at once, whether or not Options
    // ends with OK: they have their own password and their own dialog.
    for (QPushButton* b : {billing_, erase_}) b->setAutoDefault(false);
    connect(billing_, &QPushButton::clicked, this, [this] { BillingEditor(this, note_).Edit(); });
    connect(erase_, &QPushButton::clicked, this, [this] { BillingEditor(this, note_).Erase(); });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->addButton(billing_, QDialogButtonBox::ActionRole);
    buttons->addButton(erase_, QDialogButtonBox::ActionRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &OptionsDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(server);
    layout->addWidget(buttons);
}

session::AmbitSettings OptionsDialog::Result() const {
    session::AmbitSettings s = base_;
    s.email = email_->text().toStdString();
    s.downloadDir = downloadDir_->text().toStdString();
    s.deleteConfirmation = deleteConfirmation_->isChecked() ? 1 : 0;
    s.lastItem = lastItem_->isChecked() ? 1 : 0;
    s.serverAddress = serverAddress_->text().toStdString();
    s.serverPath = serverPath_->text().toStdString();
    return s;
}

void OptionsDialog::accept() {
    if (email_->text().toStdString() == session::kPlaceholderEmail) {
        platform::CurrentPrompt().Message("Please enter your real e-mail address.");
        email_->setFocus();
        email_->selectAll();
        return;
    }
    QDialog::accept();
}

}  // namespace ui
