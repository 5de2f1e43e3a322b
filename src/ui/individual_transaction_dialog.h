// One purchase in detail: the file, server, date, price and card checksum,
// the end user and the card holder. Its Print button closes it with
// kPrintResult, and the caller prints the purchase.
#pragma once

#include <QDialog>

#include "purchase/transfer_records.h"

namespace ui {

class IndividualTransactionDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kPrintResult = 10000;

    explicit IndividualTransactionDialog(const purchase::TransferRecord& record,
                                         QWidget* parent = nullptr);
};

}  // namespace ui
