// Printing the purchase records: the whole list under a header and a rule,
// or one purchase with its buyer and card holder, as lines of plain text
// with tab stops for the list's columns.
#pragma once

#include <QStringList>
#include <vector>

#include "purchase/transfer_records.h"

class QPrinter;

namespace ui {

// Lines to print; a rule is drawn under line ruleAfter when it is >= 0.
struct PrintedText {
    QStringList lines;
    int ruleAfter = -1;
};

class TransactionPrinter {
public:
    // "Filename\tDate\tPrice\tServer", a rule, then one line per purchase.
    static PrintedText ForList(const std::vector<purchase::TransferRecord>& records);
    // "File:", "Price:", "Date:", "Server:", the checksum, then the end user
    // and the card holder, an address line by line.
    static PrintedText ForRecord(const purchase::TransferRecord& record);

    // Prints onto `printer`; returns the number of pages, 0 on failure.
    static int Print(QPrinter& printer, const PrintedText& text);
};

}  // namespace ui
