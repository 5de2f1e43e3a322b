// The wake-up timer is armed once per stretch of waiting, not per round, so a
// busy transfer does not pay for timer bookkeeping on every block.
#include "net/bounded_wait.h"

#include <QTimer>
#include <cmath>
#include <cstdlib>

#include "net/winsock_user.h"

BoundedWait::BoundedWait()
    : last_(std::chrono::steady_clock::now()), timer_(std::make_unique<QTimer>()) {
    timer_->setSingleShot(true);
    timer_->setTimerType(Qt::PreciseTimer);
}

BoundedWait::~BoundedWait() = default;

double BoundedWait::TimeoutSeconds() {
    const char* text = std::getenv("AMBIT_NET_TIMEOUT");
    if (text && *text) {
        char* end = nullptr;
        double seconds = std::strtod(text, &end);
        if (end && *end == '\0' && std::isfinite(seconds) && seconds > 0) return seconds;
    }
    return 120.0;
}

void BoundedWait::Round(const std::string& operation) {
    using namespace std::chrono;
    const duration<double> limit(TimeoutSeconds());
    duration<double> idle = steady_clock::now() - last_;
    if (idle >= limit) WinsockUser::Fail(operation, kTimedOut);
    if (!timer_->isActive()) {
        double ms = std::ceil((limit - idle).count() * 1000.0) + 1;
        timer_->start(static_cast<int>(std::min(ms, 2.0e9)));
    }
    WinsockUser::PumpOneMessage();
    if (steady_clock::now() - last_ >= limit) WinsockUser::Fail(operation, kTimedOut);
}
