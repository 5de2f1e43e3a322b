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

}  // namespace platform
