#include "ui/transaction_log_dialog.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ui/individual_transaction_dialog.h"

namespace ui {

TransactionLogDialog::TransactionLogDialog(std::vector<purchase::TransferRecord> records,
                                           PrintFunction print, QWidget* parent)
    : QDialog(parent), records_(std::move(records)), print_(std::move(print)) {
    setWindowTitle(QStringLiteral("Transaction Log"));
    setObjectName(QStringLiteral("transactionLogDialog"));

    list_ = new QTreeWidget(this);
    list_->setObjectName(QStringLiteral("transactions"));
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setHeaderLabels({QStringLiteral("File Name:"), QStringLiteral("Date:"),
                            QStringLiteral("Price:"), QStringLiteral("Server Address:")});
    for (const purchase::TransferRecord& r : records_) {
        // Item text is plain text in a tree widget: a record cannot inject markup.
        new QTreeWidgetItem(list_,
                            {QString::fromStdString(r.fileName), QString::fromStdString(r.date),
                             QString::fromStdString(r.price), QString::fromStdString(r.server)});
    }
    list_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    list_->setMinimumWidth(520);
    connect(list_, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem* item) { ShowTransaction(list_->indexOfTopLevelItem(item)); });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    QPushButton* printButton =
        buttons->addButton(QStringLiteral("Print"), QDialogButtonBox::ActionRole);
    printButton->setObjectName(QStringLiteral("print"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(printButton, &QPushButton::clicked, this, [this] {
        if (print_) print_(TransactionPrinter::ForList(records_));
    });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(buttons);
}

void TransactionLogDialog::ShowTransaction(int row) {
    if (row < 0 || row >= static_cast<int>(records_.size())) return;
    IndividualTransactionDialog detail(records_[static_cast<size_t>(row)], this);
    if (detail.exec() == IndividualTransactionDialog::kPrintResult && print_)
        print_(TransactionPrinter::ForRecord(records_[static_cast<size_t>(row)]));
}

}  // namespace ui
