// skiff's purchase as a child process a test can kill: the same dialog and
// purchase flow as the real program, with the answers a test needs. It
// chooses Download Only when asked what to do, writes every message on
// stdout as "MESSAGE <text>", and "CHUNKS <bytes>" once the resume record
// counts a first whole chunk, so the test knows when a kill leaves one.
#include <QApplication>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <string>

#include "platform/prompt.h"
#include "purchase/resume_records.h"
#include "store/registry_errors.h"
#include "transfer/purchase_flow.h"
#include "transfer/transfer_dialog.h"
#include "transfer/what_to_do_dialog.h"

namespace {

class PrintingPrompt : public platform::Prompt {
public:
    bool AskYesNo(const std::string& text) override {
        Message(text);
        return false;
    }
    platform::SaveAnswer AskSaveChanges(const std::string& text) override {
        Message(text);
        return platform::SaveAnswer::kCancel;
    }
    void Message(const std::string& text) override {
        std::printf("MESSAGE %s\n", text.c_str());
        std::fflush(stdout);
    }
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("skiff");
    PrintingPrompt prompt;
    platform::ScopedPrompt scope(&prompt);
    transfer::PurchaseFlow purchase;
    transfer::SetOrderFlow(&purchase);
    transfer::TransferDialog dialog;

    bool told = false;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* ask = qobject_cast<transfer::WhatToDoDialog*>(QApplication::activeModalWidget()))
            ask->Button(transfer::WhatToDoDialog::kDownloadOnly)->click();
        if (told || dialog.BytesDone() < purchase::ResumeRecords::kChunkSize) return;
        try {
            purchase::ResumeRecord record;
            if (purchase::ResumeRecords::Find(0, record) != purchase::ResumeRecords::Found::kNone &&
                record.downloaded > 0) {
                std::printf("CHUNKS %u\n", record.downloaded);
                std::fflush(stdout);
                told = true;
            }
        } catch (const store::CRegistryError&) {
        }
    });
    poll.start();
    if (auto code = dialog.Initialize(argc > 1 ? argv[1] : "")) return *code;
    return dialog.Run();
}
