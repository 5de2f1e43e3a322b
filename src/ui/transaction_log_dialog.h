// The Transaction Log: every purchase recorded in the transfer record file,
// one row each (file, date, price, server). A double click shows one
// purchase in detail; Print prints the list, or the one purchase when its
// detail dialog asks for it, through the printer the caller supplies.
#pragma once

#include <QDialog>
#include <functional>
#include <vector>

#include "purchase/transfer_records.h"
#include "ui/transaction_printer.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace ui {

class TransactionLogDialog : public QDialog {
    Q_OBJECT
public:
    using PrintFunction = std::function<void(const PrintedText&)>;

    TransactionLogDialog(std::vector<purchase::TransferRecord> records, PrintFunction print,
                         QWidget* parent = nullptr);

    QTreeWidget* List() const { return list_; }
    // Opens the detail dialog of row `row` (what a double click does).
    void ShowTransaction(int row);

private:
    std::vector<purchase::TransferRecord> records_;
    PrintFunction print_;
    QTreeWidget* list_;
};

}  // namespace ui
