// The order confirmation: the item, its price, the sales tax and the total,
// and the card holder and card as they will be sent. The Minnesota-resident
// box follows the holder's address: an address that is plainly in
// Minnesota sets it and keeps it set; otherwise the user decides. Tax and
// total are worked out in whole cents, the same way the records keep them.
#pragma once

#include <QDialog>

#include "session/item_purchase.h"

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;

namespace ui {

class OrderDialog : public QDialog {
    Q_OBJECT
public:
    explicit OrderDialog(const session::OrderForm& form, QWidget* parent = nullptr);

    // The order as shown and edited.
    session::OrderForm Result() const;
    // Whether the address itself says Minnesota (the box is then locked on).
    bool AutomaticTax() const { return automaticTax_; }

    QLineEdit* ItemNameEdit() const { return itemName_; }
    QLineEdit* PriceEdit() const { return price_; }
    QLineEdit* TaxEdit() const { return tax_; }
    QLineEdit* TotalEdit() const { return total_; }
    QCheckBox* TaxBox() const { return taxBox_; }
    QLineEdit* HolderNameEdit() const { return holderName_; }
    QPlainTextEdit* AddressEdit() const { return address_; }
    QLineEdit* PhoneEdit() const { return phone_; }
    QLineEdit* CardNumberEdit() const { return cardNumber_; }
    QLineEdit* ExpiryEdit() const { return expiry_; }
    QRadioButton* VisaButton() const { return visa_; }
    QRadioButton* MasterCardButton() const { return masterCard_; }

private:
    void AddressChanged();
    void TaxBoxClicked();
    void ShowAmounts();

    session::OrderForm form_;
    bool automaticTax_ = false;
    QLineEdit* itemName_;
    QLineEdit* price_;
    QLineEdit* tax_;
    QLineEdit* total_;
    QCheckBox* taxBox_;
    QLineEdit* holderName_;
    QPlainTextEdit* address_;
    QLineEdit* phone_;
    QLineEdit* cardNumber_;
    QLineEdit* expiry_;
    QRadioButton* visa_;
    QRadioButton* masterCard_;
};

}  // namespace ui
