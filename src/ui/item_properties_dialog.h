// Item Properties: what a catalog item or a site's file is (name, host,
// path, description, date, size, price, an estimated transfer time), where
// its download goes (Save As, with Browse) and whether it travels as ASCII.
// Download creates the Save As directory, then buys a priced item, leaves
// the transfer to the caller (return mode kLeaveToCaller), or downloads
// the catalog item through the downloader it was given.
#pragma once

#include <QDialog>
#include <functional>
#include <string>

#include "session/site_transfers.h"
#include "ui/file_chooser.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace ui {

class ItemPropertiesDialog : public QDialog {
    Q_OBJECT
public:
    // Results beyond Accepted and Rejected.
    static constexpr int kLeaveToCaller = 444;   // Download pressed, the caller transfers
    static constexpr int kPurchaseStarted = 87;  // Download ("&Buy") started a purchase

    explicit ItemPropertiesDialog(const session::ItemProperties& item, QWidget* parent = nullptr);

    // With kLeaveToCaller, Download ends the dialog with it.
    void SetReturnMode(int mode) { returnMode_ = mode; }
    // Starts a plain download to (Save As, ASCII); true closes the dialog.
    void SetDownloader(std::function<bool(const std::string&, bool)> download) {
        download_ = std::move(download);
    }
    // Starts the purchase of a priced item to Save As; true when started.
    // Without one, buying is refused with a message.
    void SetBuyer(std::function<bool(const std::string&)> buy) { buy_ = std::move(buy); }
    void SetChooser(FileChooser::Function chooser) { chooser_ = std::move(chooser); }

    std::string SaveAs() const;
    bool Ascii() const;

    QLineEdit* SaveAsEdit() const { return saveAs_; }
    QCheckBox* AsciiBox() const { return ascii_; }
    QPushButton* DownloadButton() const { return downloadButton_; }
    QPushButton* BrowseButton() const { return browse_; }
    QLabel* TransferTimeLabel() const { return transferTime_; }
    // The price, its "$" sign and its label (hidden for a free item).
    QWidget* PriceRow() const { return priceRow_; }

private:
    void Download();
    void Browse();

    session::ItemProperties item_;
    int returnMode_ = 0;
    std::function<bool(const std::string&, bool)> download_;
    std::function<bool(const std::string&)> buy_;
    FileChooser::Function chooser_ = FileChooser::SaveFile;
    QLineEdit* saveAs_;
    QCheckBox* ascii_;
    QPushButton* downloadButton_;
    QPushButton* browse_;
    QLabel* transferTime_;
    QWidget* priceRow_;
};

}  // namespace ui
