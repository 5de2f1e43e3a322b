// The one way the program asks the user something or tells them something.
// The GUI programs install a message-box implementation; tests install
// ScriptedPrompt, which answers from a script and records what was shown.
#pragma once

#include <deque>
#include <string>
#include <vector>

namespace platform {

class Prompt {
public:
    virtual ~Prompt() = default;
    // A question with Yes and No; true for Yes.
    virtual bool AskYesNo(const std::string& text) = 0;
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
    void Answer(bool yes) { answers_.push_back(yes); }
    bool AskYesNo(const std::string& text) override;
    void Message(const std::string& text) override;

    // Everything shown, in order, questions and messages alike.
    const std::vector<std::string>& Shown() const { return shown_; }
    const std::vector<std::string>& Questions() const { return questions_; }
    const std::vector<std::string>& Messages() const { return messages_; }
    size_t UnusedAnswers() const { return answers_.size(); }

private:
    std::deque<bool> answers_;
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
