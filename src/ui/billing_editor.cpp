#include "ui/billing_editor.h"

#include <optional>

#include "platform/prompt.h"
#include "store/billing_info.h"
#include "store/gui/password_dialog.h"
#include "store/password.h"
#include "store/registry_application.h"
#include "store/registry_errors.h"
#include "ui/billing_dialog.h"

namespace ui {
namespace {

using store::BillingInfo;

void ReportRegistryFailure() {
    platform::CurrentPrompt().Message("Your billing information could not be read or saved: " +
                                      store::RegistryLastError());
}

}  // namespace

void BillingEditor::Edit() {
    try {
        store::SetApplication(store::kApplicationName, store::kApplicationVersion);
        ShowNote();
        if (BillingInfo::Exists())
            EditExisting();
        else
            EditNew();
    } catch (const store::CRegistryError&) {
        ReportRegistryFailure();
    }
}

void BillingEditor::Erase() {
    try {
        BillingInfo::Erase();
    } catch (const store::CRegistryError&) {
        ReportRegistryFailure();
    }
}

void BillingEditor::ShowNote() const {
    if (note_.text.empty()) return;
    if (std::time(nullptr) < note_.date)
        platform::CurrentPrompt().Message(
            "Note: Support for purchasing software with credit cards has not been implemented "
            "yet.\nIt is expected to be added around " +
            note_.text);
    else
        platform::CurrentPrompt().Message(
            "Credit card support should now be available. If you would like to use it pleas "
            "download the latest version of Ambit.");
}

void BillingEditor::EditNew() {
    BillingDialog dialog(BillingInfo(), parent_);
    if (dialog.exec() != QDialog::Accepted) return;
    BillingInfo edited = dialog.Result();
    // Without a card number there is nothing to protect, and nothing is saved.
    if (edited.cardnum.empty()) return;
    std::optional<std::string> password =
        store::gui::PasswordDialog::Ask(store::gui::PasswordDialog::Purpose::Choose, parent_);
    if (!password) return;
    edited.Save(*password);
}

void BillingEditor::EditExisting() {
    std::optional<std::string> password =
        store::gui::PasswordDialog::Ask(store::gui::PasswordDialog::Purpose::Enter, parent_);
    if (!password) return;
    BillingInfo stored;
    if (BillingInfo::Load(*password, stored) != 0) {
        platform::CurrentPrompt().Message(store::kIncorrectPasswordMessage);
        return;
    }
    BillingDialog dialog(stored, parent_);
    if (dialog.exec() != QDialog::Accepted) return;
    BillingInfo edited = dialog.Result();
    if (edited.cardnum.empty()) {
        platform::CurrentPrompt().Message("Blank");
        return;
    }
    edited.Save(*password);
}

}  // namespace ui
