#include "platform/gui/message_box_prompt.h"

#include <QApplication>
#include <QMessageBox>

namespace platform {
namespace {

QMessageBox::StandardButton Ask(QWidget* parent, QMessageBox::Icon icon, const std::string& text,
                                QMessageBox::StandardButtons buttons,
                                QMessageBox::StandardButton defaultButton) {
    QMessageBox box(icon, QApplication::applicationDisplayName(), QString::fromStdString(text),
                    buttons, parent);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

}  // namespace

bool MessageBoxPrompt::AskYesNo(const std::string& text) {
    return Ask(parent_, QMessageBox::Question, text, QMessageBox::Yes | QMessageBox::No,
               QMessageBox::Yes) == QMessageBox::Yes;
}

SaveAnswer MessageBoxPrompt::AskSaveChanges(const std::string& text) {
    // With a Cancel button, Escape and the window's close button give Cancel.
    switch (Ask(parent_, QMessageBox::Question, text,
                QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                QMessageBox::Save)) {
        case QMessageBox::Save:
            return SaveAnswer::kSave;
        case QMessageBox::Discard:
            return SaveAnswer::kDiscard;
        default:
            return SaveAnswer::kCancel;
    }
}

void MessageBoxPrompt::Message(const std::string& text) {
    Ask(parent_, QMessageBox::Information, text, QMessageBox::Ok, QMessageBox::Ok);
}

void MessageBoxPrompt::Warning(const std::string& text) {
    // Plain text: the message carries paths and program output.
    QMessageBox box(QMessageBox::Warning, QApplication::applicationDisplayName(),
                    QString::fromStdString(text), QMessageBox::Ok, parent_);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

}  // namespace platform
