#include "ui/individual_transaction_dialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace ui {
namespace {

// The records come from a file: shown as text, never as markup.
QLabel* Field(const std::string& text, const char* name, QWidget* parent) {
    auto* label = new QLabel(QString::fromStdString(text), parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

QGroupBox* Person(const QString& title, const std::string& name, const std::string& address,
                  const std::string& phone, const char* prefix, QWidget* parent) {
    auto* box = new QGroupBox(title, parent);
    auto* form = new QFormLayout(box);
    const std::string p = prefix;
    form->addRow(QStringLiteral("Name:"), Field(name, (p + "Name").c_str(), box));
    form->addRow(QStringLiteral("Address:"), Field(address, (p + "Address").c_str(), box));
    form->addRow(QStringLiteral("Phone:"), Field(phone, (p + "Phone").c_str(), box));
    return box;
}

}  // namespace

IndividualTransactionDialog::IndividualTransactionDialog(const purchase::TransferRecord& r,
                                                         QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral("Individual Transaction:"));
    setObjectName(QStringLiteral("individualTransactionDialog"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("File Name:"), Field(r.fileName, "fileName", this));
    form->addRow(QStringLiteral("Server:"), Field(r.server, "server", this));
    form->addRow(QStringLiteral("Date:"), Field(r.date, "date", this));
    form->addRow(QStringLiteral("Price:"), Field(r.price, "price", this));
    form->addRow(QStringLiteral("Credit Card Checksum:"), Field(r.checksum, "checksum", this));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    QPushButton* print = buttons->addButton(QStringLiteral("Print"), QDialogButtonBox::ActionRole);
    print->setObjectName(QStringLiteral("print"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(print, &QPushButton::clicked, this, [this] { done(kPrintResult); });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(Person(QStringLiteral("End User Info"), r.userName, r.userAddress,
                             r.userPhone, "user", this));
    layout->addWidget(Person(QStringLiteral("Card Holder Info"), r.holderName, r.holderAddress,
                             r.holderPhone, "holder", this));
    layout->addWidget(buttons);
}

}  // namespace ui
