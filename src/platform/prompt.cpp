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

}  // namespace platform
