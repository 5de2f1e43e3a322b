// "Server Configuration": a folder entry's name and the server its contents
// come from. The entry keeps host and file path as one text; the dialog
// shows them split at the first "/" and joins them again.
#pragma once

#include <QDialog>
#include <string>

class QLineEdit;

namespace ui {

class ServerConfigDialog : public QDialog {
    Q_OBJECT
public:
    ServerConfigDialog(const std::string& name, const std::string& address,
                       QWidget* parent = nullptr);

    std::string Name() const;
    // Address followed by the path text, as the entry stores it.
    std::string Address() const;

    QLineEdit* NameEdit() const { return name_; }
    QLineEdit* AddressEdit() const { return address_; }
    QLineEdit* PathEdit() const { return path_; }

private:
    QLineEdit* name_;
    QLineEdit* address_;
    QLineEdit* path_;
};

}  // namespace ui
