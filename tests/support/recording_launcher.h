// A launcher for tests: records what would have been started (there is no
// desktop to open a file in) and fails on request. In namespace platform
// beside the interface it stands in for.
#pragma once

#include <string>
#include <vector>

#include "platform/launcher.h"

namespace platform {

class RecordingLauncher : public Launcher {
public:
    bool Start(const std::vector<std::string>& argv, std::string* error = nullptr) override {
        if (!failure_.empty()) {
            if (error) *error = failure_;
            return false;
        }
        started_.push_back(argv);
        return true;
    }
    const std::vector<std::vector<std::string>>& Started() const { return started_; }
    // Makes the next Start calls fail with this message ("" to succeed again).
    void FailWith(std::string message) { failure_ = std::move(message); }

private:
    std::vector<std::vector<std::string>> started_;
    std::string failure_;
};

}  // namespace platform
