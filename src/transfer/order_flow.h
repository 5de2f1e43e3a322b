// The seam to the purchase flow. When skiff is started with "FINFO" (a
// purchase) or "RINFO" (the resume of a paid transfer), the transfer dialog
// hands the order over to the OrderFlow that is installed, which runs the
// exchange with the commerce and delivery services and uses the dialog's
// progress display. The purchase flow installs itself here; skiff without
// one refuses orders with a message.
#pragma once

#include <string>

namespace transfer {

class TransferDialog;

struct OrderRequest {
    bool isResume = false;      // RINFO
    std::string orderFilePath;  // the order file, already trimmed
};

class OrderFlow {
public:
    virtual ~OrderFlow() = default;
    // Runs the whole order while the dialog is on screen (it may show
    // WhatToDoDialog, start the progress timer, set the dialog's texts, and
    // write the records). Returns the exit code of the program.
    virtual int Run(TransferDialog& dialog, const OrderRequest& request) = 0;
    // Abort was pressed while Run was waiting: close the purchase
    // connections so that the waiting call returns.
    virtual void Abort() = 0;
};

// The process-wide flow (not owned); nullptr when none is installed.
OrderFlow* CurrentOrderFlow();
// Installs a flow (nullptr removes it); returns the previous one.
OrderFlow* SetOrderFlow(OrderFlow* flow);

}  // namespace transfer
