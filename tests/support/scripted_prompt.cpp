#include "scripted_prompt.h"

namespace platform {

ScriptedPrompt::Reply ScriptedPrompt::Next(const std::string& question) {
    shown_.push_back(question);
    questions_.push_back(question);
    if (answers_.empty()) return kNo;
    Reply a = answers_.front();
    answers_.pop_front();
    return a;
}

bool ScriptedPrompt::AskYesNo(const std::string& text) { return Next(text) == kYes; }

SaveAnswer ScriptedPrompt::AskSaveChanges(const std::string& text) {
    switch (Next(text)) {
        case kYes:
            return SaveAnswer::kSave;
        case kNo:
            return SaveAnswer::kDiscard;
        case kCancel:
            break;
    }
    return SaveAnswer::kCancel;
}

void ScriptedPrompt::Message(const std::string& text) {
    shown_.push_back(text);
    messages_.push_back(text);
}

void ScriptedPrompt::Warning(const std::string& text) {
    Message(text);
    warnings_.push_back(text);
}

}  // namespace platform
