#include "ui/order_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "purchase/minnesota_address.h"
#include "purchase/price.h"
#include "store/password.h"
#include "store/registry_string.h"

namespace ui {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

QLineEdit* Line(const std::string& text, const char* name, QWidget* parent, bool readOnly = false) {
    auto* edit = new QLineEdit(Q(text), parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setReadOnly(readOnly);
    edit->setMaxLength(static_cast<int>(store::kMaxRegistryString));
    edit->setMinimumWidth(readOnly ? 100 : 260);
    return edit;
}

}  // namespace

OrderDialog::OrderDialog(const session::OrderForm& form, QWidget* parent)
    : QDialog(parent), form_(form) {
    setWindowTitle(QStringLiteral("Please confirm your order information:"));
    setObjectName(QStringLiteral("orderDialog"));

    // The price and the amounts from it are what is charged: shown, not edited.
    itemName_ = Line(form.itemName, "itemName", this, true);
    price_ = Line(form.priceText, "price", this, true);
    tax_ = Line("", "tax", this, true);
    total_ = Line("", "total", this, true);
    for (QLineEdit* amount : {price_, tax_, total_}) amount->setAlignment(Qt::AlignRight);
    taxBox_ = new QCheckBox(QStringLiteral("Minnesota Resident? (6.5% Tax)"), this);
    taxBox_->setObjectName(QStringLiteral("taxBox"));

    holderName_ = Line(form.holderName, "holderName", this);
    address_ = new QPlainTextEdit(Q(form.holderAddress), this);
    address_->setObjectName(QStringLiteral("holderAddress"));
    address_->setTabChangesFocus(true);
    address_->setFixedHeight(address_->fontMetrics().lineSpacing() * 4 + 12);
    address_->setMinimumWidth(260);
    address_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);  // lines wrap
    phone_ = Line(form.holderPhone, "holderPhone", this);
    cardNumber_ = Line(form.cardNumber, "cardNumber", this);
    // The card number is scrambled for skiff, which takes at most this much.
    cardNumber_->setMaxLength(static_cast<int>(store::kMaxPasswordText) - 1);
    expiry_ = Line(form.expiry, "expiry", this);
    visa_ = new QRadioButton(QStringLiteral("VISA"), this);
    masterCard_ = new QRadioButton(QStringLiteral("MasterCard"), this);
    (form.masterCard ? masterCard_ : visa_)->setChecked(true);

    auto* order = new QGroupBox(QStringLiteral("Order"), this);
    auto* orderForm = new QFormLayout(order);
    orderForm->addRow(QStringLiteral("Item:"), itemName_);
    orderForm->addRow(QStringLiteral("Price: $"), price_);
    orderForm->addRow(QStringLiteral("Sales Tax: $"), tax_);
    orderForm->addRow(QStringLiteral("Total: $"), total_);
    orderForm->addRow(taxBox_);

    auto* holder = new QGroupBox(QStringLiteral("Card Holder"), this);
    auto* holderForm = new QFormLayout(holder);
    holderForm->addRow(QStringLiteral("Name:"), holderName_);
    holderForm->addRow(QStringLiteral("Complete Mailing Address:"), address_);
    holderForm->addRow(QStringLiteral("Phone:"), phone_);
    auto* types = new QHBoxLayout;
    types->addWidget(visa_);
    types->addWidget(masterCard_);
    types->addStretch(1);
    holderForm->addRow(QStringLiteral("Card:"), types);
    holderForm->addRow(QStringLiteral("Number:"), cardNumber_);
    holderForm->addRow(QStringLiteral("Expiration Date (MM/YY):"), expiry_);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* purchase =
        buttons->addButton(QStringLiteral("&Purchase"), QDialogButtonBox::AcceptRole);
    purchase->setDefault(true);
    buttons->addButton(QDialogButtonBox::Cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(order);
    layout->addWidget(holder);
    layout->addWidget(buttons);

    automaticTax_ = purchase::IsMinnesotaAddress(form.holderAddress);
    taxBox_->setChecked(automaticTax_ || form.taxed);
    ShowAmounts();

    connect(address_, &QPlainTextEdit::textChanged, this, &OrderDialog::AddressChanged);
    connect(taxBox_, &QCheckBox::clicked, this, &OrderDialog::TaxBoxClicked);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

session::OrderForm OrderDialog::Result() const {
    session::OrderForm form = form_;
    form.taxed = taxBox_->isChecked();
    form.holderName = holderName_->text().toStdString();
    form.holderAddress = address_->toPlainText().toStdString();
    form.holderPhone = phone_->text().toStdString();
    form.cardNumber = cardNumber_->text().toStdString();
    form.expiry = expiry_->text().toStdString();
    form.masterCard = masterCard_->isChecked();
    return form;
}

void OrderDialog::AddressChanged() {
    automaticTax_ = purchase::IsMinnesotaAddress(address_->toPlainText().toStdString());
    taxBox_->setChecked(automaticTax_);
    ShowAmounts();
}

void OrderDialog::TaxBoxClicked() {
    if (automaticTax_) taxBox_->setChecked(true);
    ShowAmounts();
}

void OrderDialog::ShowAmounts() {
    const bool taxed = taxBox_->isChecked();
    const std::uint32_t cents = form_.priceCents;
    tax_->setText(Q(purchase::CentsText(taxed ? purchase::TaxCents(cents) : 0)));
    total_->setText(Q(purchase::CentsText(purchase::TotalCents(cents, taxed))));
}

}  // namespace ui
