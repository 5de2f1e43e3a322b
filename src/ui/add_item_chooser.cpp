#include "ui/add_item_chooser.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace ui {

AddItemChooser::AddItemChooser(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Add Item:"));
    setObjectName(QStringLiteral("addItemChooser"));
    auto* layout = new QVBoxLayout(this);
    auto add = [this, layout](const QString& text, const char* name, Choice choice) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, choice] { done(choice); });
        layout->addWidget(b);
        return b;
    };
    file_ = add(QStringLiteral("&File"), "file", File);
    ftpServer_ = add(QStringLiteral("F&TP Server"), "ftpServer", FtpServer);
    mapServer_ = add(QStringLiteral("&Map Server"), "mapServer", MapServer);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
}

QPushButton* AddItemChooser::Button(Choice choice) const {
    switch (choice) {
        case File:
            return file_;
        case FtpServer:
            return ftpServer_;
        case MapServer:
            return mapServer_;
    }
    return nullptr;
}

}  // namespace ui
