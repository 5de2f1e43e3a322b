// What the transfer dialog shows for a given moment of a transfer: the
// time-left estimate, the byte counts, the percentage, the icon step and the
// window title. A pure function of the counters and the elapsed time, so the
// thresholds (59/60 and 3600/3601 seconds left, files under 100 bytes, an
// unknown size) are checked without a clock or a window.
#pragma once

#include <cstdint>
#include <string>

namespace transfer {

struct ProgressInput {
    int64_t bytesDone = 0;
    int64_t totalSize = 0;      // 0 when unknown
    double elapsedSeconds = 0;  // whole seconds since the first update
    bool isDownload = true;
    bool isResume = false;  // a paid resume leaves the byte text alone until bytes arrive
    std::string host;
    std::string displayName;
};

class ProgressTexts {
public:
    static ProgressTexts Compute(const ProgressInput& in);

    std::string timeLeft;      // control 1015
    bool setBytesText = true;  // false: leave control 1006 as it is
    std::string bytesText;     // control 1006
    int percent = 0;           // 0..100, progress bar and control 1005
    int iconStep = 0;          // 0..13, the window icon
    std::string percentText;   // "%d%%"
    std::string title;         // "%s-%d%%"

    // The resource of the icon for a step ("skiff icon 129 + step").
    static std::string IconResource(int step);
};

}  // namespace transfer
