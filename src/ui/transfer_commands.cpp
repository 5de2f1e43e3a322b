#include "ui/transfer_commands.h"

#include "catalog/catalog.h"
#include "ftpsites/site_paths.h"
#include "session/item_purchase.h"
#include "store/gui/password_dialog.h"
#include "ui/billing_editor.h"
#include "ui/item_properties_dialog.h"
#include "ui/order_dialog.h"
#include "ui/transfer_log_dialog.h"
#include "ui/upload_file_dialog.h"

namespace ui {

using session::SiteTransfers;

TransferCommands::TransferCommands(QWidget* window, session::CatalogSession& session, Hooks hooks)
    : window_(window), session_(session), hooks_(std::move(hooks)) {
    session_.SetPurchaseHook(
        [this](const catalog::CEntry& entry, const std::string& localPath, bool* installAndQuit) {
            return Buy(entry, localPath, installAndQuit);
        });
}

void TransferCommands::Quit() {
    if (hooks_.quit) hooks_.quit();
}

bool TransferCommands::Buy(const catalog::CEntry& entry, const std::string& localPath,
                           bool* installAndQuit) {
    session::ItemPurchase::Steps steps;
    steps.editBilling = [this] {
        catalog::Catalog& c = session_.Catalog();
        BillingEditor(window_, {c.ContentDateText(), c.ContentDate()}).Edit();
    };
    steps.askPassword = [this] {
        return store::gui::PasswordDialog::Ask(store::gui::PasswordDialog::Purpose::Enter, window_);
    };
    steps.confirm = [this](session::OrderForm& form) {
        OrderDialog dialog(form, window_);
        if (dialog.exec() != QDialog::Accepted) return false;
        form = dialog.Result();
        return true;
    };
    return session::ItemPurchase(session_.Skiff(), std::move(steps))
        .Buy(entry, localPath, installAndQuit);
}

void TransferCommands::DownloadSiteFile(catalog::TreeItem* item) {
    if (!item || !item->Entry() || !item->Entry()->IsFtpFile()) return;
    if (session_.SiteFiles().DownloadSiteFile(item) == SiteTransfers::Outcome::kConfirm)
        ShowSiteEntryProperties(item);
}

void TransferCommands::ShowItemProperties(catalog::TreeItem* item) {
    if (!item || !item->Entry()) return;
    const catalog::CEntry& e = *item->Entry();
    if (catalog::EndsWithDataExtension(e.Name)) {
        if (hooks_.fetchFirstDataFile) hooks_.fetchFirstDataFile();
    } else if (e.IsFtpFile() || e.IsFtpDir()) {
        ShowSiteEntryProperties(item);
    } else if (e.IsFtpSite()) {
        if (hooks_.editSite)
            hooks_.editSite(item);
        else if (hooks_.note)
            hooks_.note(QStringLiteral("Editing FTP sites is not available in this version."));
    } else if (!e.IsFolder()) {
        ShowCatalogItemProperties(item, session_.TargetFor(e).path);
    }
}

void TransferCommands::ShowSiteEntryProperties(const catalog::TreeItem* item) {
    ItemPropertiesDialog dialog(session_.SiteFiles().PropertiesOf(item), window_);
    dialog.SetReturnMode(ItemPropertiesDialog::kLeaveToCaller);
    if (dialog.exec() != ItemPropertiesDialog::kLeaveToCaller) return;
    bool quit = false;
    session_.SiteFiles().DownloadFromProperties(item, dialog.SaveAs(), dialog.Ascii(), &quit);
    if (quit) Quit();
}

void TransferCommands::ShowCatalogItemProperties(const catalog::TreeItem* item,
                                                 const std::string& saveAs) {
    const catalog::CEntry& entry = *item->Entry();
    session::ItemProperties p = session_.PropertiesOf(entry);
    p.saveAs = saveAs;
    ItemPropertiesDialog dialog(p, window_);
    bool quit = false;
    dialog.SetDownloader([&](const std::string& path, bool ascii) {
        return session_.DownloadItem(entry, path, ascii, &quit);
    });
    if (session_.CanPurchase())
        dialog.SetBuyer(
            [&](const std::string& path) { return session_.Purchase(entry, path, &quit); });
    dialog.exec();
    if (quit) Quit();
}

void TransferCommands::DownloadCatalogItem(const catalog::TreeItem* item) {
    if (!item || !item->Entry()) return;
    const catalog::CEntry& entry = *item->Entry();
    catalog::DownloadTarget target = session_.TargetFor(entry);
    if (!target.insideDefault) {
        ShowCatalogItemProperties(item, target.path);
        return;
    }
    bool quit = false;
    session_.DownloadItem(entry, target.path, false, &quit);
    if (quit) Quit();
}

void TransferCommands::Upload(const catalog::TreeItem* selected) {
    if (!ftpsites::FindSiteItem(selected)) return;
    UploadFileDialog dialog(window_);
    if (dialog.exec() != QDialog::Accepted) return;
    session_.SiteFiles().Upload(selected, dialog.LocalPath(), dialog.Ascii());
}

void TransferCommands::ShowTransferLog() {
    TransferLogDialog dialog(session_.Skiff(), window_);
    dialog.exec();
}

}  // namespace ui
