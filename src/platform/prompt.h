// The one way the program asks the user something or tells them something.
// The GUI programs install a message-box implementation; tests install
// ScriptedPrompt, which answers from a script and records what was shown.
#pragma once

#include <deque>
#include <string>
#include <vector>

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
};

// The process-wide prompt. Without one installed, questions are answered No
// and messages go to the standard error stream.
Prompt& CurrentPrompt();
// Installs p (not owned; nullptr restores the default). Returns the previous one.
Prompt* SetPrompt(Prompt* p);

class ScriptedPrompt : public Prompt {
public:
    // Answers are taken in order; when the script runs out the answer is No.
    // A save question takes Yes as Save and No as Discard.
    void Answer(bool yes) { answers_.push_back(yes ? kYes : kNo); }
    void AnswerCancel() { answers_.push_back(kCancel); }
    bool AskYesNo(const std::string& text) override;
    SaveAnswer AskSaveChanges(const std::string& text) override;
    void Message(const std::string& text) override;

    // Everything shown, in order, questions and messages alike.
    const std::vector<std::string>& Shown() const { return shown_; }
    const std::vector<std::string>& Questions() const { return questions_; }
    const std::vector<std::string>& Messages() const { return messages_; }
    size_t UnusedAnswers() const { return answers_.size(); }

private:
    enum Reply { kYes, kNo, kCancel };
    Reply Next(const std::string& question);

    std::deque<Reply> answers_;
    std::vector<std::string> shown_, questions_, messages_;
};

// Installs a prompt for the lifetime of a scope (tests).
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
