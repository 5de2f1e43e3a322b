#include "ui/options_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/paths.h"
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
    browse_ = new QPushButton(QStringLiteral("Br&owse..."), this);
    browse_->setObjectName(QStringLiteral("browseDownloadDir"));
    browse_->setAutoDefault(false);
    connect(browse_, &QPushButton::clicked, this, &OptionsDialog::Browse);
    auto* downloadRow = new QHBoxLayout;
    downloadRow->addWidget(downloadDir_, 1);
    downloadRow->addWidget(browse_);
    form->addRow(QStringLiteral(" Default Download Directory:"), downloadRow);
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

// Window-modal rather than a blocking static call, so the dialog's own event
// loop keeps running and the chooser can be driven like any other window.
void OptionsDialog::Browse() {
    if (chooser_) return;
    // The folder may not exist yet (the default is created by the first
    // download): start from its nearest existing parent.
    QString start = downloadDir_->text().trimmed();
    while (!start.isEmpty() && !platform::IsDirectory(start.toStdString())) {
        const QString parent = QFileInfo(start).path();
        start = parent == start ? QString() : parent;
    }
    if (start.isEmpty()) start = QDir::homePath();
    chooser_ = new QFileDialog(this, QStringLiteral("Choose the download directory"), start);
    chooser_->setObjectName(QStringLiteral("downloadDirChooser"));
    chooser_->setFileMode(QFileDialog::Directory);
    chooser_->setOption(QFileDialog::ShowDirsOnly);
    chooser_->setAttribute(Qt::WA_DeleteOnClose);
    connect(chooser_, &QFileDialog::fileSelected, this,
            [this](const QString& dir) { downloadDir_->setText(QDir::cleanPath(dir)); });
    chooser_->open();
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
