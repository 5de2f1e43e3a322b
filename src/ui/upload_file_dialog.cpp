#include "ui/upload_file_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/paths.h"
#include "platform/prompt.h"

namespace ui {

UploadFileDialog::UploadFileDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("uploadFileDialog"));
    setWindowTitle(QStringLiteral("Upload File"));
    file_ = new QLineEdit(this);
    file_->setMinimumWidth(320);
    browse_ = new QPushButton(QStringLiteral("&Browse"), this);
    browse_->setAutoDefault(false);
    ascii_ = new QCheckBox(QStringLiteral("Ascii Transfer mode?"), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

    auto* row = new QHBoxLayout;
    row->addWidget(file_, 1);
    row->addWidget(browse_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("File to upload:"), this));
    layout->addLayout(row);
    layout->addWidget(ascii_);
    layout->addWidget(buttons);

    connect(browse_, &QPushButton::clicked, this, [this] {
        // Cancelling the file dialog empties the edit.
        std::optional<std::string> chosen = chooser_(this, LocalPath());
        file_->setText(chosen ? QString::fromStdString(*chosen) : QString());
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &UploadFileDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

std::string UploadFileDialog::LocalPath() const { return file_->text().trimmed().toStdString(); }

bool UploadFileDialog::Ascii() const { return ascii_->isChecked(); }

void UploadFileDialog::accept() {
    // Caught here, where the user can still correct it, rather than as a
    // file error in the transfer window.
    const std::string path = LocalPath();
    if (path.empty() || path[0] != '/' || !platform::FileExists(path) ||
        platform::IsDirectory(path)) {
        platform::CurrentPrompt().Message(
            "Please choose a file to upload: enter its full path or use Browse.");
        return;
    }
    QDialog::accept();
}

}  // namespace ui
