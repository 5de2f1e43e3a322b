#include "platform/prompt.h"

#include <cstdio>

namespace platform {
namespace {

class StderrPrompt : public Prompt {
public:
    bool AskYesNo(const std::string& text) override {
        std::fprintf(stderr, "%s [answered No]\n", text.c_str());
        return false;
    }
    SaveAnswer AskSaveChanges(const std::string& text) override {
        std::fprintf(stderr, "%s [answered Discard]\n", text.c_str());
        return SaveAnswer::kDiscard;
    }
    void Message(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
};

StderrPrompt gDefault;
Prompt* gCurrent = nullptr;

}  // namespace

Prompt& CurrentPrompt() { return gCurrent ? *gCurrent : gDefault; }

Prompt* SetPrompt(Prompt* p) {
    Prompt* old = gCurrent;
    gCurrent = p;
    return old;
}

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

}  // namespace platform
