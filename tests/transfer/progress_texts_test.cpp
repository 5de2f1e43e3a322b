// The progress display as a function of bytes, total and elapsed time, at
// the thresholds where its texts change.
#include "transfer/progress_texts.h"

#include <gtest/gtest.h>

namespace {

using transfer::ProgressInput;
using transfer::ProgressTexts;

ProgressInput Download(int64_t done, int64_t total, double elapsed) {
    ProgressInput in;
    in.bytesDone = done;
    in.totalSize = total;
    in.elapsedSeconds = elapsed;
    in.host = "ftp.example.org";
    in.displayName = "tool.zip";
    return in;
}

TEST(ProgressTexts, TimeLeftAtItsThresholds) {
    struct Case {
        int64_t done, total;
        double elapsed;
        const char* text;
    } cases[] = {
        // 1000 bytes per second; the remaining bytes decide the seconds.
        {1000, 1000 + 59000, 1, "Estimated Time Left: 59 seconds"},
        {1000, 1000 + 60000, 1, "Estimated Time Left: 1 minutes and 0 seconds"},
        {1000, 1000 + 3600000, 1, "Estimated Time Left: 60 minutes and 0 seconds"},
        {1000, 1000 + 3601000, 1, "Estimated Time Left: 1 hours and 0 minutes"},
        {1000, 1000 + 59999, 1, "Estimated Time Left: 59 seconds"},  // truncated, not rounded
        {1000, 1000, 1, "Estimated Time Left: 0 seconds"},
        {5000, 10000, 0, "Estimated Time Left: Calculating"},  // first second: no rate yet
        {0, 10000, 5, "Estimated Time Left: Calculating"},     // nothing arrived yet
        {5000, 0, 5, "Estimated Time Left: Calculating"},      // size unknown
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProgressTexts::Compute(Download(c.done, c.total, c.elapsed)).timeLeft, c.text)
            << c.done << "/" << c.total << " after " << c.elapsed;
}

TEST(ProgressTexts, ByteTexts) {
    EXPECT_EQ(ProgressTexts::Compute(Download(512 * 1024, 2048 * 1024, 4)).bytesText,
              "Received 512 of 2048 K \nAverage Transfer Rate: 128.0 K per second.");
    EXPECT_EQ(ProgressTexts::Compute(Download(100, 1000, 2)).bytesText,
              "Received 0 of 0 K \nAverage Transfer Rate:  0.0 K per second.");

    auto up = Download(3 * 1024, 10 * 1024, 1);
    up.isDownload = false;
    EXPECT_EQ(ProgressTexts::Compute(up).bytesText, "Sent 3 of 10 K");

    EXPECT_EQ(ProgressTexts::Compute(Download(0, 1000, 3)).bytesText,
              "Connecting to: ftp.example.org");

    auto resume = Download(0, 1000, 3);
    resume.isResume = true;
    EXPECT_FALSE(ProgressTexts::Compute(resume).setBytesText);
}

TEST(ProgressTexts, PercentIconAndTitle) {
    struct Case {
        int64_t done, total;
        int percent, icon;
    } cases[] = {
        {500, 1000, 50, 6},
        {1000, 1000, 100, 13},
        {99, 99, 0, 0},                             // under 100 bytes: always 0 %
        {5000, 0, 0, 0},                            // unknown size
        {2000, 1000, 100, 13},                      // more than announced: clamped
        {3'000'000'000LL, 4'000'000'000LL, 75, 9},  // beyond 32 bits
    };
    for (const auto& c : cases) {
        auto t = ProgressTexts::Compute(Download(c.done, c.total, 1));
        EXPECT_EQ(t.percent, c.percent) << c.done << "/" << c.total;
        EXPECT_EQ(t.iconStep, c.icon) << c.done << "/" << c.total;
        EXPECT_EQ(t.title, "tool.zip-" + std::to_string(c.percent) + "%");
    }
}

}  // namespace
