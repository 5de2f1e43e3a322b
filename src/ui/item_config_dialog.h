// "Item Configuration": the eight fields of a catalog item, for Add and for
// editing an item. OK checks the fields the user must fill in and refuses
// colons in every field the data file separates with them; the dialog
// stays open until the fields can be saved.
#pragma once

#include <QDialog>

#include "catalog/c_entry.h"

class QLineEdit;
class QPlainTextEdit;

namespace ui {

class ItemConfigDialog : public QDialog {
    Q_OBJECT
public:
    // Shows the texts of `fields`; Location and MapFileId are not shown.
    explicit ItemConfigDialog(const catalog::CEntry& fields, QWidget* parent = nullptr);

    // The typed fields (the name trimmed, the download directory as typed).
    catalog::CEntry Fields() const;

    QLineEdit* NameEdit() const { return name_; }
    QLineEdit* AddressEdit() const { return address_; }
    QLineEdit* PathEdit() const { return path_; }
    QLineEdit* DownloadDirEdit() const { return downloadDir_; }
    QLineEdit* PriceEdit() const { return price_; }
    QPlainTextEdit* DescriptionEdit() const { return description_; }
    QLineEdit* DateEdit() const { return date_; }
    QLineEdit* SizeEdit() const { return size_; }

public slots:
    void accept() override;

private:
    QLineEdit* name_;
    QLineEdit* address_;
    QLineEdit* path_;
    QLineEdit* downloadDir_;
    QLineEdit* price_;
    QPlainTextEdit* description_;
    QLineEdit* date_;
    QLineEdit* size_;
};

}  // namespace ui
