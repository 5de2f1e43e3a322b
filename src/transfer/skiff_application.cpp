#include "transfer/skiff_application.h"

#include <QApplication>
#include <string>

#include "platform/gui/message_box_prompt.h"
#include "platform/prompt.h"
#include "transfer/purchase_flow.h"
#include "transfer/transfer_dialog.h"

namespace transfer {

int SkiffApplication::Main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("skiff");
    QApplication::setApplicationDisplayName("Skiff");

    std::string argument;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) argument += ' ';
        argument += argv[i];
    }

    PurchaseFlow purchase;
    SetOrderFlow(&purchase);
    TransferDialog dialog;
    platform::MessageBoxPrompt prompt(&dialog);
    platform::ScopedPrompt scope(&prompt);
    if (auto code = dialog.Initialize(argument)) return *code;
    return dialog.Run();
}

}  // namespace transfer
