// "New FTP Site": a site's name, address, starting directory, user and
// password, for adding a site (Add FTP Server) and for editing one. When
// adding, every change of the name rewrites the address to
// "ftp.<name>.com", the usual host name, which the user may then correct.
// "&Connect" ends the dialog like OK but with kConnect, so the new site is
// opened at once.
#pragma once

#include <QDialog>
#include <string>

class QLineEdit;
class QPushButton;

namespace ui {

struct SiteFields {
    std::string name;
    std::string address;
    std::string directory;
    std::string user;
    std::string password;  // plain text; the catalog keeps it scrambled
};

class NewFtpSiteDialog : public QDialog {
    Q_OBJECT
public:
    // What exec() returns for "&Connect".
    static constexpr int kConnect = 900;

    // `rewriteAddress`: the address follows the name as it is typed.
    NewFtpSiteDialog(const SiteFields& fields, bool rewriteAddress, QWidget* parent = nullptr);

    // The typed fields, the name without leading and trailing blanks.
    SiteFields Fields() const;

    QLineEdit* NameEdit() const { return name_; }
    QLineEdit* AddressEdit() const { return address_; }
    QLineEdit* DirectoryEdit() const { return directory_; }
    QLineEdit* UserEdit() const { return user_; }
    QLineEdit* PasswordEdit() const { return password_; }
    QPushButton* ConnectButton() const { return connect_; }

public slots:
    void accept() override;

private:
    // The checks of OK and Connect; false keeps the dialog open.
    bool Check();

    QLineEdit* name_;
    QLineEdit* address_;
    QLineEdit* directory_;
    QLineEdit* user_;
    QLineEdit* password_;
    QPushButton* connect_;
};

}  // namespace ui
