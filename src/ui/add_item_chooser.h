// "Add Item:": what the toolbar's Add, the context menu's Add and Ctrl+N
// offer before anything is added: a catalog file, an FTP server, or the
// map server's data file.
#pragma once

#include <QDialog>

class QPushButton;

namespace ui {

class AddItemChooser : public QDialog {
    Q_OBJECT
public:
    // What exec() returns; Rejected (0) for Cancel.
    enum Choice { File = 1, FtpServer = 2, MapServer = 3 };

    explicit AddItemChooser(QWidget* parent = nullptr);

    QPushButton* Button(Choice choice) const;

private:
    QPushButton* file_;
    QPushButton* ftpServer_;
    QPushButton* mapServer_;
};

}  // namespace ui
