// The Billing Information dialog: where purchases are shipped, who holds
// the card, and the card itself. It only checks the form of the expiration
// date; what must be filled in is decided when the information is saved.
#pragma once

#include <QDialog>

#include "store/billing_info.h"

class QLineEdit;
class QPlainTextEdit;
class QRadioButton;

namespace ui {

class BillingDialog : public QDialog {
    Q_OBJECT
public:
    explicit BillingDialog(const store::BillingInfo& initial, QWidget* parent = nullptr);

    // The fields as edited, the card type as its code.
    store::BillingInfo Result() const;

    QLineEdit* NameEdit() const { return name_; }
    QPlainTextEdit* AddressEdit() const { return addr_; }
    QLineEdit* PhoneEdit() const { return tel_; }
    QLineEdit* HolderNameEdit() const { return cname_; }
    QPlainTextEdit* HolderAddressEdit() const { return caddr_; }
    QLineEdit* HolderPhoneEdit() const { return ctel_; }
    QLineEdit* CardNumberEdit() const { return cardnum_; }
    QRadioButton* MasterCardButton() const { return masterCard_; }
    QRadioButton* VisaButton() const { return visa_; }
    QLineEdit* ExpirationEdit() const { return carddt_; }

public slots:
    // A date of six or more characters cannot be MM/YY: says so and stays open.
    void accept() override;

private:
    QLineEdit* name_;
    QPlainTextEdit* addr_;
    QLineEdit* tel_;
    QLineEdit* cname_;
    QPlainTextEdit* caddr_;
    QLineEdit* ctel_;
    QLineEdit* cardnum_;
    QRadioButton* masterCard_;
    QRadioButton* visa_;
    QLineEdit* carddt_;
    // The card type as loaded, kept when no button stands for it (a stored
    // DISCOVER stays DISCOVER unless the user picks another).
    int radioIndex_;
};

}  // namespace ui
