#include "transfer/progress_texts.h"

#include <algorithm>
#include <climits>

#include "platform/string_printf.h"

namespace transfer {
namespace {

std::string TimeLeftText(double rate, int64_t remaining) {
    if (rate == 0) return "Estimated Time Left: Calculating";
    // Truncated toward zero, as the estimate has always been.
    double estimate = static_cast<double>(remaining) / rate;
    if (estimate < 0) return "Estimated Time Left: Calculating";
    // Beyond 68 years the estimate means nothing anyway; capped, it fits an int.
    int seconds = estimate >= INT_MAX ? INT_MAX : static_cast<int>(estimate);
    if (seconds < 60) return platform::StringPrintf("Estimated Time Left: %d seconds", seconds);
    if (seconds <= 3600)
        return platform::StringPrintf("Estimated Time Left: %d minutes and %d seconds",
                                      seconds / 60, seconds % 60);
    return platform::StringPrintf("Estimated Time Left: %d hours and %d minutes", seconds / 3600,
                                  (seconds % 3600) / 60);
}

}  // namespace

ProgressTexts ProgressTexts::Compute(const ProgressInput& in) {
    ProgressTexts t;
    double rate =
        in.elapsedSeconds != 0 ? static_cast<double>(in.bytesDone) / in.elapsedSeconds : 0.0;
    t.timeLeft = TimeLeftText(rate, in.totalSize - in.bytesDone);

    const long long doneK = in.bytesDone / 1024;
    const long long totalK = in.totalSize / 1024;
    if (in.bytesDone > 0) {
        if (in.totalSize < in.bytesDone)
            t.bytesText = platform::StringPrintf("Received %lld of Unknown ", doneK);
        else if (in.isDownload)
            t.bytesText = platform::StringPrintf(
                "Received %lld of %lld K \nAverage Transfer Rate: %4.1f K per second.", doneK,
                totalK, rate / 1024.0);
        else
            t.bytesText = platform::StringPrintf("Sent %lld of %lld K", doneK, totalK);
    } else if (in.isResume) {
        t.setBytesText = false;
    } else {
        t.bytesText = platform::StringPrintf("Connecting to: %s", in.host.c_str());
    }

    const int64_t hundredth = in.totalSize / 100;
    if (hundredth != 0) {
        t.percent = static_cast<int>(std::clamp<int64_t>(in.bytesDone / hundredth, 0, 100));
        const int64_t thirteenth = in.totalSize / 13;
        if (thirteenth != 0)
            t.iconStep = static_cast<int>(std::clamp<int64_t>(in.bytesDone / thirteenth, 0, 13));
    }
    t.percentText = platform::StringPrintf("%d%%", t.percent);
    t.title = platform::StringPrintf("%s-%d%%", in.displayName.c_str(), t.percent);
    return t;
}

std::string ProgressTexts::IconResource(int step) {
    return platform::StringPrintf(":/transfer/icons/progress-%02d.png", std::clamp(step, 0, 13));
}

}  // namespace transfer
