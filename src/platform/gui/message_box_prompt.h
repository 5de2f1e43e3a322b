// The GUI programs' prompt: questions and messages as modal message boxes
// captioned with the application's display name. Texts often carry a
// server's reply or a file name, so they are always shown as plain text.
#pragma once

#include "platform/prompt.h"

class QWidget;

namespace platform {

class MessageBoxPrompt : public Prompt {
public:
    explicit MessageBoxPrompt(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }
    bool AskYesNo(const std::string& text) override;
    SaveAnswer AskSaveChanges(const std::string& text) override;
    void Message(const std::string& text) override;
    void Warning(const std::string& text) override;

private:
    QWidget* parent_;
};

}  // namespace platform
