// Upload File: the local file to send to an open FTP site (typed, or found
// with Browse) and whether it travels as ASCII.
#pragma once

#include <QDialog>
#include <string>

#include "ui/file_chooser.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace ui {

class UploadFileDialog : public QDialog {
    Q_OBJECT
public:
    explicit UploadFileDialog(QWidget* parent = nullptr);

    std::string LocalPath() const;
    bool Ascii() const;
    void SetChooser(FileChooser::Function chooser) { chooser_ = std::move(chooser); }

    QLineEdit* FileEdit() const { return file_; }
    QCheckBox* AsciiBox() const { return ascii_; }
    QPushButton* BrowseButton() const { return browse_; }

public slots:
    void accept() override;

private:
    FileChooser::Function chooser_ = FileChooser::OpenFile;
    QLineEdit* file_;
    QCheckBox* ascii_;
    QPushButton* browse_;
};

}  // namespace ui
