// The one way the program asks the user something or tells them something.
// The GUI programs install a message-box implementation; tests install
// one that answers from a script and records what was shown.
#pragma once

#include <string>

namespace platform {

// The answers to a question about unsaved work. Cancel is what Escape and
// closing the question give, so no single key press throws work away.
enum class SaveAnswer { kSave, kDiscard, kCancel };

class Prompt {
public:
    virtual ~Prompt() = default;
    // A question with Yes and No; true for Yes.
    virtual bool AskYesNo(const std::string& text) = 0;
    // A question with Save, Discard and Cancel.
    virtual SaveAnswer AskSaveChanges(const std::string& text) = 0;
    // A message with an OK button.
    virtual void Message(const std::string& text) = 0;
    // A message about something that failed and what to do about it.
    virtual void Warning(const std::string& text) { Message(text); }
};

// The process-wide prompt. Without one installed, questions are answered No
// and messages go to the standard error stream.
Prompt& CurrentPrompt();
// Installs p (not owned; nullptr restores the default). Returns the previous one.
Prompt* SetPrompt(Prompt* p);

// Installs a prompt for the lifetime of a scope.
class ScopedPrompt {
public:
    explicit ScopedPrompt(Prompt* p) : previous_(SetPrompt(p)) {}
    ~ScopedPrompt() { SetPrompt(previous_); }
    ScopedPrompt(const ScopedPrompt&) = delete;
    ScopedPrompt& operator=(const ScopedPrompt&) = delete;

private:
    Prompt* previous_;
};

}  // namespace platform
