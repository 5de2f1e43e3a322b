#include "scripted_prompt.h"

namespace platform {

bool ScriptedPrompt::AskYesNo(const std::string& text) {
    shown_.push_back(text);
    questions_.push_back(text);
    if (answers_.empty()) return false;
    bool a = answers_.front();
    answers_.pop_front();
    return a;
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
