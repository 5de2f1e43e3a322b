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

}  // namespace platform
