// The choose-password dialog: the user picks the billing password when
// billing information is first saved. The password is typed twice, must
// have at least six characters, and is never stored anywhere.
#pragma once

#include <QDialog>
#include <optional>
#include <string>

class QLineEdit;

namespace store::gui {

class ChoosePasswordDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kResourceId = 197;

    explicit ChoosePasswordDialog(QWidget* parent = nullptr);

    // The chosen password as UTF-8, once the dialog closed with OK.
    std::string Password() const;

    // Runs the dialog; the password on OK, nothing on Cancel.
    static std::optional<std::string> Ask(QWidget* parent = nullptr);

public slots:
    // Refuses a password under six characters, then two fields that differ,
    // each with its message; the dialog stays open until both are right.
    void accept() override;

private:
    QLineEdit* password_;
    QLineEdit* retype_;
};

}  // namespace store::gui
