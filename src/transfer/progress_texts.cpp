#include "transfer/progress_texts.h"

#include <algorithm>
#include <cstdio>

namespace transfer {
namespace {

template <typename... Args>
std::string Format(const char* fmt, Args... args) {
    char buf[512];
    std::snprintf(buf, sizeof buf, fmt, args...);
    return buf;
}

std::string TimeLeftText(double rate, int64_t remaining) {
    if (rate == 0) return "Estimated Time Left: Calculating";
    // Truncated toward zero, as the estimate has always been.
    long long seconds = static_cast<long long>(static_cast<double>(remaining) / rate);
    if (seconds < 0) return "Estimated Time Left: Calculating";
    if (seconds < 60) return Format("Estimated Time Left: %lld seconds", seconds);
    if (seconds <= 3600)
        return Format("Estimated Time Left: %lld minutes and %lld seconds", seconds / 60, seconds % 60);
    return Format("Estimated Time Left: %lld hours and %lld minutes", seconds / 3600, (seconds % 3600) / 60);
}

}  // namespace

ProgressTexts ProgressTexts::Compute(const ProgressInput& in) {
    ProgressTexts t;
    double rate = in.elapsedSeconds != 0 ? static_cast<double>(in.bytesDone) / in.elapsedSeconds : 0.0;
    t.timeLeft = TimeLeftText(rate, in.totalSize - in.bytesDone);

    const long long doneK = in.bytesDone / 1024;
    const long long totalK = in.totalSize / 1024;
    if (in.bytesDone > 0) {
        if (in.totalSize < in.bytesDone)
            t.bytesText = Format("Received %lld of Unknown ", doneK);
        else if (in.isDownload)
            t.bytesText = Format("Received %lld of %lld K \nAverage Transfer Rate: %4.1f K per second.", doneK, totalK,
                                 rate / 1024.0);
        else
            t.bytesText = Format("Sent %lld of %lld K", doneK, totalK);
    } else if (in.isResume) {
        t.setBytesText = false;
    } else {
        t.bytesText = "Connecting to: " + in.host;
    }

    const int64_t hundredth = in.totalSize / 100;
    if (hundredth != 0) {
        t.percent = static_cast<int>(std::clamp<int64_t>(in.bytesDone / hundredth, 0, 100));
        const int64_t thirteenth = in.totalSize / 13;
        if (thirteenth != 0) t.iconStep = static_cast<int>(std::clamp<int64_t>(in.bytesDone / thirteenth, 0, 13));
    }
    t.percentText = Format("%d%%", t.percent);
    t.title = in.displayName + Format("-%d%%", t.percent);
    return t;
}

std::string ProgressTexts::IconResource(int step) {
    return Format(":/transfer/icons/progress-%02d.png", std::clamp(step, 0, 13));
}

}  // namespace transfer
