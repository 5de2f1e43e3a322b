// "Add Folder" and "Change Folder Name": one field, the folder's name. A
// name must be something the tree can show and a save can write back: not
// blank, and without the ":" and "/" that data-file lines and tree paths
// use as separators.
#pragma once

#include <QDialog>
#include <string>

class QLineEdit;

namespace ui {

class FolderNameDialog : public QDialog {
    Q_OBJECT
public:
    FolderNameDialog(const QString& caption, const std::string& name, QWidget* parent = nullptr);

    // The name as typed, without leading and trailing blanks.
    std::string Name() const;
    QLineEdit* NameEdit() const { return name_; }

public slots:
    void accept() override;

private:
    QLineEdit* name_;
};

}  // namespace ui
