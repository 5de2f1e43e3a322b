#include "platform/gui/message_box_prompt.h"

#include <QApplication>
#include <QMessageBox>

namespace platform {

bool MessageBoxPrompt::AskYesNo(const std::string& text) {
    auto answer = QMessageBox::question(parent_, QApplication::applicationDisplayName(),
                                        QString::fromStdString(text),
                                        QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    return answer == QMessageBox::Yes;
}

void MessageBoxPrompt::Message(const std::string& text) {
    QMessageBox::information(parent_, QApplication::applicationDisplayName(),
                             QString::fromStdString(text));
}

void MessageBoxPrompt::Warning(const std::string& text) {
    // Plain text: the message carries paths and program output.
    QMessageBox box(QMessageBox::Warning, QApplication::applicationDisplayName(),
                    QString::fromStdString(text), QMessageBox::Ok, parent_);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

}  // namespace platform
