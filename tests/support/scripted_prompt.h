// A prompt for tests: answers questions from a script and records what was
// shown. In namespace platform beside the interface it stands in for, so
// tests name it as they name the real prompts.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/prompt.h"

namespace platform {

class ScriptedPrompt : public Prompt {
public:
    // Answers are taken in order; when the script runs out the answer is No.
    // A save question takes Yes as Save and No as Discard.
    void Answer(bool yes) { answers_.push_back(yes ? kYes : kNo); }
    void AnswerCancel() { answers_.push_back(kCancel); }
    bool AskYesNo(const std::string& text) override { return Next(text) == kYes; }
    SaveAnswer AskSaveChanges(const std::string& text) override {
        Reply reply = Next(text);
        return reply == kYes  ? SaveAnswer::kSave
               : reply == kNo ? SaveAnswer::kDiscard
                              : SaveAnswer::kCancel;
    }
    void Message(const std::string& text) override {
        shown_.push_back(text);
        messages_.push_back(text);
    }
    // Recorded among the messages too, and also on its own.
    void Warning(const std::string& text) override {
        Message(text);
        warnings_.push_back(text);
    }

    // Everything shown, in order, questions and messages alike.
    const std::vector<std::string>& Shown() const { return shown_; }
    const std::vector<std::string>& Questions() const { return questions_; }
    const std::vector<std::string>& Messages() const { return messages_; }
    const std::vector<std::string>& Warnings() const { return warnings_; }
    size_t UnusedAnswers() const { return answers_.size(); }

private:
    enum Reply { kYes, kNo, kCancel };
    Reply Next(const std::string& question) {
        shown_.push_back(question);
        questions_.push_back(question);
        if (answers_.empty()) return kNo;
        Reply a = answers_.front();
        answers_.pop_front();
        return a;
    }

    std::deque<Reply> answers_;
    std::vector<std::string> shown_, questions_, messages_, warnings_;
};

}  // namespace platform
