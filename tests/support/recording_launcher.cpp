#include "recording_launcher.h"

namespace platform {

bool RecordingLauncher::Start(const std::vector<std::string>& argv, std::string* error) {
    if (!failure_.empty()) {
        if (error) *error = failure_;
        return false;
    }
    started_.push_back(argv);
    return true;
}

}  // namespace platform
