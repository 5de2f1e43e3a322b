// The enter-password dialog: asks for the billing password before stored
// billing information is shown or used. It only insists on some text; a
// password that is too short or wrong is refused by the billing code,
// which the user sees as "Incorrect Password".
#pragma once

#include <QDialog>
#include <optional>
#include <string>

class QLineEdit;

namespace store::gui {

class EnterPasswordDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kResourceId = 196;

    explicit EnterPasswordDialog(QWidget* parent = nullptr);

    // The password as UTF-8, once the dialog closed with OK.
    std::string Password() const;

    // Runs the dialog; the password on OK, nothing on Cancel.
    static std::optional<std::string> Ask(QWidget* parent = nullptr);

public slots:
    // An empty field shows "Please type in a password." and keeps the
    // dialog open.
    void accept() override;

private:
    QLineEdit* password_;
};

}  // namespace store::gui
