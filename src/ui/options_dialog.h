// The Options dialog: e-mail address, default download directory, the two
// switches and the map server. It edits a copy of the settings and hands it
// back only when OK is pressed with a real address; the caller writes it.
#pragma once

#include <QDialog>
#include <QFileDialog>
#include <QPointer>

#include "session/ambit_settings.h"
#include "ui/billing_editor.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace ui {

class OptionsDialog : public QDialog {
    Q_OBJECT
public:
    explicit OptionsDialog(const session::AmbitSettings& current, QWidget* parent = nullptr);

    // The catalog's note on credit-card support, shown by Billing.
    void SetCardSupportNote(BillingEditor::CardSupportNote note) { note_ = std::move(note); }

    // The edited settings; meaningful after the dialog was accepted.
    session::AmbitSettings Result() const;

    QLineEdit* EmailEdit() const { return email_; }
    QLineEdit* DownloadDirEdit() const { return downloadDir_; }
    QCheckBox* DeleteConfirmationBox() const { return deleteConfirmation_; }
    QCheckBox* LastItemBox() const { return lastItem_; }
    QLineEdit* ServerAddressEdit() const { return serverAddress_; }
    QLineEdit* ServerPathEdit() const { return serverPath_; }
    QPushButton* BillingButton() const { return billing_; }
    QPushButton* EraseInfoButton() const { return erase_; }
    QPushButton* BrowseButton() const { return browse_; }
    // The folder chooser Browse opened, while it is open.
    QFileDialog* FolderChooser() const { return chooser_; }

public slots:
    void accept() override;

private:
    void Browse();

    session::AmbitSettings base_;
    BillingEditor::CardSupportNote note_;
    QLineEdit* email_;
    QLineEdit* downloadDir_;
    QCheckBox* deleteConfirmation_;
    QCheckBox* lastItem_;
    QLineEdit* serverAddress_;
    QLineEdit* serverPath_;
    QPushButton* billing_;
    QPushButton* erase_;
    QPushButton* browse_;
    // Cleared by Qt when the chooser closes (it deletes itself), also while
    // this dialog is being destroyed.
    QPointer<QFileDialog> chooser_;
};

}  // namespace ui
