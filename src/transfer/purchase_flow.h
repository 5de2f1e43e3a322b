// skiff's purchase: what runs when ambit starts it with an order file
// ("FINFO" to buy an item, "RINFO" to finish a paid transfer that was cut
// off). It reads the order (and deletes it, since it holds card data), asks
// what to do with the file before any traffic, has the purchase exchange
// authorise the purchase, receives the file in chunks, joins and stamps it,
// and only then records the purchase, logs the download and runs the
// chosen action. Whatever stops it early leaves the resume record, so ambit
// offers to finish the transfer at its next start.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "transfer/order_flow.h"

class ClientSocket;
class ListenSocket;

namespace transfer {

class PurchaseFlow : public OrderFlow {
public:
    static constexpr const char* kAuthorizing = "Authorizing credit card.";
    static constexpr const char* kResuming = "Resuming transfer.";
    static constexpr const char* kMayTakeAMoment = "This may take a few moments.";
    static constexpr const char* kBackupReminder = "Please remember to backup your software.";

    int Run(TransferDialog& dialog, const OrderRequest& request) override;
    void Abort() override;

    // The user's text for a result of the exchange, the delivery or the
    // rebuild, or nullptr for a code it does not know.
    static const char* ResultText(int code);
    // "text (code)", or "Unknown error : code".
    static std::string ResultMessage(int code);

private:
    int Purchase(TransferDialog& dialog, const std::vector<std::string>& order,
                 const std::string& plainCard, std::uint32_t transaction);
    int Finish(TransferDialog& dialog, const std::vector<std::string>& order,
               const std::string& plainCard, std::uint32_t transaction, std::uint32_t ticket);

    bool isResume_ = false;
    std::uint32_t priceCents_ = 0;  // as the user confirmed it, before tax
    bool aborted_ = false;
    // The open connections while a purchase runs, for Abort.
    ClientSocket* request_ = nullptr;
    ListenSocket* data_ = nullptr;
};

}  // namespace transfer
