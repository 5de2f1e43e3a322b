#include "transfer/what_to_do_dialog.h"

#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cctype>

#include "platform/command_words.h"
#include "platform/prompt.h"
#include "platform/string_printf.h"
#include "transfer/post_transfer_action.h"

namespace transfer {
namespace {

std::optional<std::string> FileDialogBrowser(QWidget* parent, const std::string& start) {
    QString chosen = QFileDialog::getOpenFileName(parent, QString(), QString::fromStdString(start));
    if (chosen.isEmpty()) return std::nullopt;
    return chosen.toStdString();
}

}  // namespace

WhatToDoDialog::WhatToDoDialog(const std::string& fileName, const std::string& openWith,
                               QWidget* parent)
    : QDialog(parent), fileName_(fileName), browser_(FileDialogBrowser) {
    setWindowTitle("What would you like to do with the file?");

    prompt_ = new QLabel(this);
    prompt_->setWordWrap(true);

    auto makeButton = [this](Control id, const char* text, int code) {
        auto* b = new QPushButton(text, this);
        b->setAutoDefault(false);
        buttons_.emplace_back(id, b);
        if (code != 0) connect(b, &QPushButton::clicked, this, [this, code] { done(code); });
        return b;
    };
    QPushButton* execute = makeButton(kExecute, "&Execute", kActionExecute);
    QPushButton* only = makeButton(kDownloadOnly, "&Download Only", kActionDownloadOnly);
    QPushButton* unzip = makeButton(kUnzip, "&Unzip", kActionUnzip);
    QPushButton* text = makeButton(kOpenAsText, "Open as &Text", kActionOpenAsText);
    QPushButton* openWithButton = makeButton(kOpenWith, "&Open With:", 0);
    QPushButton* browse = makeButton(kBrowse, "&Browse", 0);
    connect(openWithButton, &QPushButton::clicked, this, &WhatToDoDialog::ChooseOpenWith);
    connect(browse, &QPushButton::clicked, this, &WhatToDoDialog::Browse);

    edit_ = new QLineEdit(QString::fromStdString(openWith), this);
    edit_->setMinimumWidth(260);

    cancel_ = new QPushButton("Cancel", this);
    cancel_->setAutoDefault(false);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);

    auto* frame = new QGroupBox(this);
    auto* grid = new QVBoxLayout(frame);
    auto* row1 = new QHBoxLayout;
    row1->addWidget(execute);
    row1->addWidget(unzip);
    row1->addWidget(text);
    row1->addWidget(only);
    grid->addLayout(row1);
    auto* row2 = new QHBoxLayout;
    row2->addWidget(openWithButton);
    row2->addWidget(edit_, 1);
    row2->addWidget(browse);
    grid->addLayout(row2);

    auto* bottom = new QHBoxLayout;
    bottom->addStretch(1);
    bottom->addWidget(cancel_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(prompt_);
    layout->addWidget(frame);
    layout->addLayout(bottom);
}

std::string WhatToDoDialog::OpenWith() const { return edit_->text().toStdString(); }

void WhatToDoDialog::SetOpenWith(const std::string& text) {
    edit_->setText(QString::fromStdString(text));
}

QPushButton* WhatToDoDialog::Button(Control id) const {
    for (const auto& [c, b] : buttons_)
        if (c == id) return b;
    return nullptr;
}

WhatToDoDialog::Control WhatToDoDialog::DefaultFor(const std::string& fileName) {
    std::string tail = fileName.size() >= 3 ? fileName.substr(fileName.size() - 3) : fileName;
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    if (tail == "EXE") return kExecute;
    if (tail == "ZIP") return kUnzip;
    if (tail == "TXT") return kOpenAsText;
    return kOpenWith;
}

void WhatToDoDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    prompt_->setText(QString::fromStdString(
        platform::StringPrintf("What would you like to do with %s?", fileName_.c_str())));
    QPushButton* def = Button(DefaultFor(fileName_));
    for (const auto& [c, b] : buttons_) b->setDefault(b == def);
    def->setFocus();
}

void WhatToDoDialog::ChooseOpenWith() {
    if (edit_->text().isEmpty()) {
        platform::CurrentPrompt().Message(
            "Please enter an application to open the file with or select another option.");
        return;
    }
    // The download log separates its fields with "$$"; a program text
    // holding it would shift every later field of the entry.
    if (edit_->text().contains(QStringLiteral("$$"))) {
        platform::CurrentPrompt().Message(
            "The program to open the file with cannot contain \"$$\", which the download log "
            "uses to separate its fields. Choose the program with Browse or rename it.");
        return;
    }
    done(kActionOpenWith);
}

void WhatToDoDialog::Browse() {
    if (!browser_) return;
    std::optional<std::string> chosen = browser_(this, OpenWith());
    // Quoted when it has blanks, since the text is later split into words.
    if (chosen) SetOpenWith(platform::JoinCommandWords({*chosen}));
}

}  // namespace transfer
