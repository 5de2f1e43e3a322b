// Every path is absolute (the destination from the order, the chunks where
// ResumeRecords keeps them): the flow never changes the current directory.
// The destination is joined in its part file and moved into place only
// once it is whole and stamped, so a failed rebuild leaves the old file,
// the chunks and the record as they were, and nothing is recorded for it.
#include "transfer/purchase_flow.h"

#include <arpa/inet.h>

#include <QCoreApplication>
#include <QProgressBar>
#include <charconv>
#include <cstdio>
#include <ctime>
#include <initializer_list>

#include "net/client_socket.h"
#include "net/inet_address.h"
#include "platform/prompt.h"
#include "platform/string_printf.h"
#include "purchase/order_elements.h"
#include "purchase/price.h"
#include "purchase/purchase_exchange.h"
#include "purchase/purchase_request.h"
#include "purchase/resume_records.h"
#include "purchase/transfer_records.h"
#include "store/registry_application.h"
#include "store/registry_errors.h"
#include "store/scramble.h"
#include "transfer/chunked_delivery.h"
#include "transfer/delivery_data_socket.h"
#include "transfer/download_log.h"
#include "transfer/file_association.h"
#include "transfer/local_file.h"
#include "transfer/order_file.h"
#include "transfer/post_transfer_action.h"
#include "transfer/transfer_dialog.h"
#include "transfer/what_to_do_dialog.h"

namespace transfer {
namespace {

using E = purchase::OrderElements;

struct ResultGroup {
    std::initializer_list<int> codes;
    const char* text;
};

// The delivery server's reply codes and the local results, grouped by what
// the user is told.
const ResultGroup kResults[] = {
    {{2, 4, 14, 104, purchase::kConnectionRefused, purchase::kHostUnreachable},
     "There was a server error. Please try again in a few moments."},
    {{3, 100, purchase::kBadUserData},
     "I'm sorry but you have incorrect user data, please try reentering it."},
    {{5},
     "I'm sorry but your credit card was declined. Perhaps you entered the wrong number or "
     "expiration date."},
    {{12},
     "I'm sorry but the price in your data file is not correct. Please download a new "
     "datafile."},
    {{13, 101, purchase::kBadAuthorisation, purchase::kSocketError},
     "I'm sorry but there was a transmission error. Please check to see that your network "
     "connection if functioning and try again in a few moments."},
    {{15},
     "I'm sorry your version of Ambit is not current enough to make this purchase. Please "
     "download a new one and try again."},
    {{102}, "Fatal error in the enc subsystem."},
    {{103}, "I'm sorry, there was a timing error. Please try again in a few moments."},
    {{ChunkedDelivery::kSizeMismatch, ChunkedDelivery::kContinuationRefused},
     "I'm sorry, this transfer cannot be restarted because the size of the file is not "
     "correct.\nPlease telephone Tallis Group's customer service, who will help you get the "
     "file."},
    {{ChunkedDelivery::kChunkFileFailed},
     "Could not create intermediate file. Please check to see if your disk is full and resume "
     "the tranfer."},
    {{ChunkedDelivery::kDestinationFailed},
     "Could not create destination file. Please check to see if your disk is full and resume "
     "the tranfer."},
};

constexpr const char* kOrderUnreadable = "Error in pFile read";
constexpr const char* kDataConnectionLost =
    "The delivery server stopped sending before the whole file had arrived. Start Ambit again "
    "to resume the transfer.";

constexpr int kRequestMask =
    AsyncSocket::kRead | AsyncSocket::kWrite | AsyncSocket::kConnect | AsyncSocket::kClose;

bool ParseNumber(const std::string& text, std::uint32_t& value) {
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

std::string Dotted(const sockaddr_in& address) {
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    return text;
}

// Clears the flow's connection pointers however a purchase ends.
struct Connections {
    Connections(ClientSocket*& request, ListenSocket*& data, ClientSocket& r, ListenSocket& d)
        : request(request), data(data) {
        request = &r;
        data = &d;
    }
    ~Connections() {
        request = nullptr;
        data = nullptr;
    }
    Connections(const Connections&) = delete;
    Connections& operator=(const Connections&) = delete;
    ClientSocket*& request;
    ListenSocket*& data;
};

}  // namespace

const char* PurchaseFlow::ResultText(int code) {
    for (const ResultGroup& group : kResults)
        for (int c : group.codes)
            if (c == code) return group.text;
    return nullptr;
}

std::string PurchaseFlow::ResultMessage(int code) {
    if (const char* text = ResultText(code)) return platform::StringPrintf("%s (%d)", text, code);
    return platform::StringPrintf("Unknown error : %d", code);
}

int PurchaseFlow::Run(TransferDialog& dialog, const OrderRequest& request) {
    isResume_ = request.isResume;
    aborted_ = false;
    dialog.SetText(TransferDialog::kBytes, "");
    dialog.SetText(TransferDialog::kTimeLeft, "");
    platform::Prompt& prompt = platform::CurrentPrompt();

    std::vector<std::string> order;
    std::string why;
    std::string card;
    std::uint32_t transaction = 0;
    // A damaged order gives the same answer as a missing one; the reason
    // goes to the diagnostics.
    if (!OrderFile::ReadAndDelete(request.orderFilePath, isResume_, order, &why) ||
        !store::TryUnscramble(order[E::kScrambledCard], card, &why) ||
        !ParseNumber(order[E::kPriceCents], priceCents_) ||
        (isResume_ && !ParseNumber(order[E::kResumeRecord], transaction))) {
        if (why.empty()) why = "the order's price or record number is no number";
        std::fprintf(stderr, "skiff: %s\n", why.c_str());
        prompt.Message(kOrderUnreadable);
        return 0;
    }

    TransferCommand& command = dialog.MutableCommand();
    command.user = order[E::kHolderName];
    command.host = TrimBlanks(order[E::kHost]);
    command.localPath = order[E::kLocalPath];
    command.remotePath = order[E::kRemotePath];
    command.displayName = order[E::kItemName];
    command.isDownload = true;
    command.isBinary = true;

    // Checked before anything is bought: the file must be able to land.
    if (command.localPath.empty() || command.localPath.front() != '/') {
        prompt.Message("The order names no full path for the file: \"" + command.localPath +
                       "\". Please buy the item again from Ambit.");
        return 1;
    }
    std::string refusal = LocalFile::DownloadRefusal(command.localPath);
    if (!refusal.empty()) {
        prompt.Message(refusal);
        return 1;
    }

    std::string openWith;
    if (command.localPath.find('.') != std::string::npos)
        openWith = FileAssociation::Suggestion(command.localPath);
    WhatToDoDialog ask(DisplayNameOf(command.remotePath), openWith, &dialog);
    const int action = ask.exec();
    if (action == 0) return 0;  // Cancel: nothing is bought
    dialog.SetActionCode(action);
    dialog.SetOpenWith(ask.OpenWith());

    dialog.SetText(TransferDialog::kCaption, isResume_ ? kResuming : kAuthorizing);
    dialog.SetText(TransferDialog::kSecondLine, kMayTakeAMoment);
    store::SetApplication(store::kApplicationName, store::kApplicationVersion);

    try {
        return Purchase(dialog, order, card, transaction);
    } catch (const store::CRegistryError&) {
        if (aborted_) return 0;
        prompt.Message(
            "The purchase could not be recorded in the settings: " + store::RegistryLastError() +
            "\nIf the file did not arrive, start Ambit again to resume the transfer.");
        return 1;
    }
}

int PurchaseFlow::Purchase(TransferDialog& dialog, const std::vector<std::string>& order,
                           const std::string& plainCard, std::uint32_t transaction) {
    platform::Prompt& prompt = platform::CurrentPrompt();
    const purchase::PurchaseServers servers = purchase::PurchaseServers::FromEnvironment();
    const std::string& host = dialog.Command().host;
    int result = purchase::kSocketError;
    try {
        ClientSocket request(InetAddress(host, servers.deliveryPort), kRequestMask);
        // Resolving here touches no server; the connection itself is made
        // when the exchange first uses it.
        DeliveryDataSocket data(Dotted(request.Address().Resolve()));
        Connections open(request_, data_, request, data);
        if (aborted_) return 0;

        purchase::ExchangeOrder exchange;
        exchange.kind = isResume_ ? purchase::PurchaseRequest::kResume
                                  : purchase::PurchaseRequest::kNewPurchase;
        exchange.elements = order;
        exchange.plainCard = plainCard;
        exchange.localPath = dialog.Command().localPath;
        exchange.transaction = transaction;
        const purchase::ExchangeOutcome outcome =
            purchase::RunPurchaseExchange(servers, exchange, request, data);
        if (aborted_) return 0;
        if (outcome.result != purchase::kAuthorised) {
            prompt.Message(ResultMessage(outcome.result));
            return 0;
        }

        dialog.SetText(
            TransferDialog::kCaption,
            platform::StringPrintf("Downloading: %s", dialog.Command().displayName.c_str()));
        dialog.SetText(TransferDialog::kSecondLine, kBackupReminder);
        dialog.BytesDone() = 0;
        dialog.StartProgressTimer();
        dialog.SetInProgress(true);
        ChunkedDelivery delivery(outcome.transaction, dialog.BytesDone());
        result = delivery.Receive(request, data,
                                  [&](std::int64_t total) { dialog.SetTotalSize(total); });
        dialog.StopProgressTimer();
        if (aborted_) return 0;
        if (result != ChunkedDelivery::kDelivered) {
            request.Close();
            data.Close();
            if (result == ChunkedDelivery::kDataClosed)
                prompt.Message(kDataConnectionLost);
            else if (ResultText(result))
                prompt.Message(ResultMessage(result));
            else
                prompt.Message(platform::StringPrintf("Download fail: %d", result));
            return 0;
        }
        return Finish(dialog, order, plainCard, outcome.transaction, outcome.ticket);
    } catch (const CWinsockErr&) {
        dialog.StopProgressTimer();
        if (aborted_) return 0;
        const int code = purchase::ResultForSocketError(WinsockUser::LastError());
        prompt.Message(ResultMessage(code));
        return 0;
    }
}

int PurchaseFlow::Finish(TransferDialog& dialog, const std::vector<std::string>& order,
                         const std::string& plainCard, std::uint32_t transaction,
                         std::uint32_t ticket) {
    platform::Prompt& prompt = platform::CurrentPrompt();
    const TransferCommand& command = dialog.Command();
    dialog.UpdateProgress();
    dialog.SetText(TransferDialog::kBytes, "");
    dialog.SetText(TransferDialog::kTimeLeft, "");
    dialog.SetText(TransferDialog::kCaption,
                   platform::StringPrintf("Rebuilding: %s", command.displayName.c_str()));

    ChunkedDelivery delivery(transaction, dialog.BytesDone());
    const std::string part = LocalFile::PartPath(command.localPath);
    int rebuilt = delivery.Rebuild(part, [&](int percent) {
        dialog.ProgressBar()->setValue(percent);
        QCoreApplication::processEvents();
    });
    std::string why;
    if (rebuilt == ChunkedDelivery::kDelivered &&
        (!ChunkedDelivery::Stamp(part, command.host, ticket) ||
         !LocalFile::Commit(command.localPath, &why)))
        rebuilt = ChunkedDelivery::kDestinationFailed;
    if (aborted_) return 0;
    if (rebuilt != ChunkedDelivery::kDelivered) {
        // The chunks and the record stay, so the resume can finish the job.
        prompt.Message(ResultMessage(rebuilt) + (why.empty() ? "" : "\n" + why));
        return 0;
    }
    purchase::ResumeRecords::Delete(transaction);

    const std::string price =
        purchase::CentsText(purchase::TotalCents(priceCents_, order[E::kSalesTax] == "1"));
    const std::time_t now = std::time(nullptr);

    purchase::TransferRecord record;
    record.fileName = command.displayName;
    record.userName = order[E::kHolderName];
    record.userAddress = order[E::kHolderAddress];
    record.userPhone = order[E::kHolderPhone];
    record.holderName = order[E::kStoredName];
    record.holderAddress = order[E::kStoredAddress];
    record.holderPhone = order[E::kStoredPhone];
    record.date = purchase::TransferRecords::DateText(now);
    record.price = price;
    record.checksum = std::to_string(purchase::TransferRecords::CardChecksum(plainCard));
    record.server = command.host;
    // The file has arrived and is paid for: a record or log that cannot
    // take the entry is worth telling, but it fails nothing.
    if (!purchase::TransferRecords::Append(purchase::TransferRecords::Path(), record, &why))
        prompt.Message(why);

    DownloadLogEntry entry;
    entry.displayName = command.displayName;
    entry.host = command.host;
    entry.localPath = command.localPath;
    entry.actionCode = dialog.ActionCode();
    entry.when = now;
    entry.totalSize = dialog.TotalSize();
    entry.openWith = dialog.OpenWith();
    entry.remotePath = command.remotePath;
    entry.user = command.user;
    entry.price = price;
    if (!DownloadLog::Append(entry, DownloadLog::Path(), &why)) prompt.Message(why);
    PostTransferAction::Run(dialog.ActionCode(), command.localPath, dialog.OpenWith());
    return 0;
}

void PurchaseFlow::Abort() {
    aborted_ = true;
    if (request_) request_->Abort();
    if (data_) data_->Close();
}

}  // namespace transfer
