#include "ui/item_properties_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/file_actions.h"
#include "platform/paths.h"
#include "platform/prompt.h"

namespace ui {
namespace {

// Texts from catalogs and servers are shown as they are, never as markup.
QLabel* PlainLabel(const std::string& text, QWidget* parent) {
    auto* label = new QLabel(QString::fromStdString(text), parent);
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

}  // namespace

ItemPropertiesDialog::ItemPropertiesDialog(const session::ItemProperties& item, QWidget* parent)
    : QDialog(parent), item_(item) {
    setObjectName(QStringLiteral("itemPropertiesDialog"));
    setWindowTitle(QStringLiteral("Item Properties"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("File Name:"), PlainLabel(item.fileName, this));
    form->addRow(QStringLiteral("Address:"), PlainLabel(item.address, this));
    form->addRow(QStringLiteral("Path:"), PlainLabel(item.path, this));
    QLabel* description = PlainLabel(item.description, this);
    description->setWordWrap(true);
    form->addRow(QStringLiteral("Description:"), description);
    form->addRow(QStringLiteral("Date:"), PlainLabel(item.date, this));
    form->addRow(QStringLiteral("Size:"), PlainLabel(item.size, this));
    transferTime_ = PlainLabel(item.transferTime, this);
    transferTime_->setObjectName(QStringLiteral("transferTime"));
    form->addRow(QStringLiteral("Transfer Time:"), transferTime_);

    priceRow_ = new QWidget(this);
    auto* price = new QHBoxLayout(priceRow_);
    price->setContentsMargins(0, 0, 0, 0);
    price->addWidget(new QLabel(QStringLiteral("Price:"), priceRow_));
    price->addWidget(new QLabel(QStringLiteral("$"), priceRow_));
    price->addWidget(PlainLabel(item.price, priceRow_), 1);
    form->addRow(priceRow_);

    saveAs_ = new QLineEdit(QString::fromStdString(item.saveAs), this);
    saveAs_->setMinimumWidth(320);
    browse_ = new QPushButton(QStringLiteral("&Browse"), this);
    browse_->setAutoDefault(false);
    auto* saveRow = new QHBoxLayout;
    saveRow->addWidget(saveAs_, 1);
    saveRow->addWidget(browse_);
    form->addRow(QStringLiteral("Save As:"), saveRow);
    ascii_ = new QCheckBox(QStringLiteral("ASCII Transfer?"), this);
    form->addRow(ascii_);

    downloadButton_ = new QPushButton(QStringLiteral("Download"), this);
    downloadButton_->setDefault(true);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(downloadButton_, QDialogButtonBox::ActionRole);
    buttons->addButton(QDialogButtonBox::Cancel);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    if (item.Priced())
        downloadButton_->setText(QStringLiteral("&Buy"));
    else
        priceRow_->hide();

    connect(downloadButton_, &QPushButton::clicked, this, &ItemPropertiesDialog::Download);
    connect(browse_, &QPushButton::clicked, this, &ItemPropertiesDialog::Browse);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

std::string ItemPropertiesDialog::SaveAs() const { return saveAs_->text().trimmed().toStdString(); }

bool ItemPropertiesDialog::Ascii() const { return ascii_->isChecked(); }

void ItemPropertiesDialog::Download() {
    const std::string saveAs = SaveAs();
    // skiff writes relative to nothing in particular; every local path the
    // programs hand on is absolute.
    if (saveAs.empty() || saveAs[0] != '/' || saveAs.back() == '/') {
        platform::CurrentPrompt().Message(
            "Please enter the full path of the file to save the download as, such as " +
            item_.saveAs + ".");
        return;
    }
    platform::MakeDirectories(platform::FileActions::DirectoryOf(saveAs));
    if (item_.Priced()) {
        if (!buy_) {
            platform::CurrentPrompt().Message(
                "Buying is not possible in this version of Internet Ambit yet. Nothing was "
                "bought or downloaded.");
            return;
        }
        if (buy_(saveAs)) done(kPurchaseStarted);
        return;
    }
    if (returnMode_ == kLeaveToCaller) {
        done(kLeaveToCaller);
        return;
    }
    if (download_ && download_(saveAs, Ascii())) accept();
}

void ItemPropertiesDialog::Browse() {
    if (std::optional<std::string> chosen = chooser_(this, SaveAs())) {
        saveAs_->setText(QString::fromStdString(*chosen));
    }
}

}  // namespace ui
