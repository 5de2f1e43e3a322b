#include "ui/billing_dialog.h"

#include <QButtonGroup>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/prompt.h"
#include "store/password.h"
#include "store/registry_string.h"

namespace ui {
namespace {

using store::BillingInfo;

constexpr int kMasterCardIndex = 0;
constexpr int kVisaIndex = 1;
// A date this long is no MM/YY.
constexpr int kTooLongDate = 6;

QString Q(const std::string& s) { return QString::fromStdString(s); }

QLineEdit* Line(const std::string& text, const char* name, QWidget* parent,
                int maxLength = static_cast<int>(store::kMaxRegistryString)) {
    auto* edit = new QLineEdit(Q(text), parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMaxLength(maxLength);
    edit->setMinimumWidth(260);
    return edit;
}

QPlainTextEdit* Lines(const std::string& text, const char* name, QWidget* parent) {
    auto* edit = new QPlainTextEdit(Q(text), parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setTabChangesFocus(true);
    edit->setFixedHeight(edit->fontMetrics().lineSpacing() * 4 + 12);
    return edit;
}

}  // namespace

BillingDialog::BillingDialog(const BillingInfo& initial, QWidget* parent)
    : QDialog(parent), radioIndex_(BillingInfo::RadioIndex(initial.cardtype)) {
    setWindowTitle(QStringLiteral("Billing Information"));
    setObjectName(QStringLiteral("billingDialog"));

    name_ = Line(initial.name, "name", this);
    addr_ = Lines(initial.addr, "addr", this);
    tel_ = Line(initial.tel, "tel", this);
    cname_ = Line(initial.cname, "cname", this);
    caddr_ = Lines(initial.caddr, "caddr", this);
    ctel_ = Line(initial.ctel, "ctel", this);
    cardnum_ = Line(initial.cardnum, "cardnum", this, static_cast<int>(store::kMaxPasswordText));
    carddt_ = Line(initial.carddt, "carddt", this);

    auto* shipping = new QGroupBox(QStringLiteral("Shipping Information"), this);
    auto* shippingForm = new QFormLayout(shipping);
    shippingForm->addRow(QStringLiteral("Name:"), name_);
    shippingForm->addRow(QStringLiteral("Complete Mailing Address"), addr_);
    shippingForm->addRow(QStringLiteral("Phone"), tel_);

    auto* holder = new QGroupBox(QStringLiteral("Card Holder Information"), this);
    auto* holderForm = new QFormLayout(holder);
    holderForm->addRow(QStringLiteral("Name (As appears on Card)"), cname_);
    holderForm->addRow(QStringLiteral("Complete Mailing Address"), caddr_);
    holderForm->addRow(QStringLiteral("Phone"), ctel_);

    auto* card = new QGroupBox(QStringLiteral("Credit Card"), this);
    masterCard_ = new QRadioButton(QStringLiteral("MasterCard"), card);
    masterCard_->setObjectName(QStringLiteral("masterCard"));
    visa_ = new QRadioButton(QStringLiteral("VISA"), card);
    visa_->setObjectName(QStringLiteral("visa"));
    auto* group = new QButtonGroup(this);
    group->addButton(masterCard_, kMasterCardIndex);
    group->addButton(visa_, kVisaIndex);
    if (QAbstractButton* b = group->button(radioIndex_)) b->setChecked(true);
    connect(group, &QButtonGroup::idClicked, this, [this](int id) { radioIndex_ = id; });
    auto* types = new QHBoxLayout;
    types->addWidget(masterCard_);
    types->addWidget(visa_);
    types->addStretch();
    auto* cardForm = new QFormLayout(card);
    cardForm->addRow(types);
    cardForm->addRow(QStringLiteral("Number:"), cardnum_);
    cardForm->addRow(QStringLiteral("Expiration Date (MM/YY)"), carddt_);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &BillingDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(shipping);
    layout->addWidget(holder);
    layout->addWidget(card);
    layout->addWidget(buttons);
}

BillingInfo BillingDialog::Result() const {
    BillingInfo b;
    b.name = name_->text().toStdString();
    b.addr = addr_->toPlainText().toStdString();
    b.tel = tel_->text().toStdString();
    b.cname = cname_->text().toStdString();
    b.caddr = caddr_->toPlainText().toStdString();
    b.ctel = ctel_->text().toStdString();
    b.cardnum = cardnum_->text().toStdString();
    b.cardtype = BillingInfo::CardTypeCode(radioIndex_);
    b.carddt = carddt_->text().toStdString();
    return b;
}

void BillingDialog::accept() {
    if (carddt_->text().size() >= kTooLongDate) {
        platform::CurrentPrompt().Message("Please enter the expiration date in the format MM/YY");
        carddt_->setFocus();
        return;
    }
    QDialog::accept();
}

}  // namespace ui
