// The billing password dialog, in two forms. Entering asks once for the
// password before stored billing information is shown or used, and only
// insists on some text: a password that is too short or wrong is refused by
// the billing code, which the user sees as "Incorrect Password". Choosing,
// when billing information is first saved, asks twice and insists on at
// least six characters. The password is never stored anywhere.
#pragma once

#include <QDialog>
#include <optional>
#include <string>

class QLineEdit;

namespace store::gui {

class PasswordDialog : public QDialog {
    Q_OBJECT
public:
    enum class Purpose { Enter, Choose };

    explicit PasswordDialog(Purpose purpose, QWidget* parent = nullptr);

    // The password as UTF-8, once the dialog closed with OK.
    std::string Password() const;

    // Runs the dialog; the password on OK, nothing on Cancel.
    static std::optional<std::string> Ask(Purpose purpose, QWidget* parent = nullptr);

public slots:
    // Entering: an empty field shows "Please type in a password.".
    // Choosing: refuses a password under six characters, then two fields
    // that differ, each with its message. The dialog stays open until the
    // input is right.
    void accept() override;

private:
    QLineEdit* password_;
    QLineEdit* retype_ = nullptr;  // only when choosing
};

}  // namespace store::gui
