// What every test of the main window needs: the session's environment
// (see session_test_env.h) and bounded waits for a modal dialog to appear,
// so a test can answer it.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <utility>

#include "session_test_env.h"

namespace uitest {

using UiTestEnv = sessiontest::SessionTestEnv;

// Runs `act` on the first modal widget (dialog or popup menu) that appears
// while the caller's code runs; gives up after timeoutMs. Returns a flag
// that tells whether it ran.
inline std::shared_ptr<bool> WhenModal(std::function<void(QWidget*)> act, int timeoutMs = 10000) {
    auto ran = std::make_shared<bool>(false);
    auto* timer = new QTimer;
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(timer, &QTimer::timeout, [timer, act, ran, clock, timeoutMs] {
        QWidget* w = QApplication::activePopupWidget();
        if (!w) w = QApplication::activeModalWidget();
        if (w && w->isVisible()) {
            timer->stop();
            timer->deleteLater();
            *ran = true;
            // Not inside the timer's own signal: `act` may run nested event
            // loops (a listing), in which the timer is deleted.
            QPointer<QWidget> target(w);
            QMetaObject::invokeMethod(
                qApp,
                [act, target] {
                    if (target) act(target);
                },
                Qt::QueuedConnection);
        } else if (clock->elapsed() > timeoutMs) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(5);
    return ran;
}

// Runs `act` once, as soon as `busy` holds, from a timer polling every 10 ms
// while the caller's code runs; gives up after ten seconds. The returned flag
// tells whether it ran; the timer ends with the returned guard.
inline std::pair<std::shared_ptr<bool>, std::unique_ptr<QTimer>> WhenBusy(
    std::function<bool()> busy, std::function<void()> act) {
    auto ran = std::make_shared<bool>(false);
    auto poll = std::make_unique<QTimer>();
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QTimer* timer = poll.get();
    QObject::connect(timer, &QTimer::timeout, [=] {
        if (!*ran && busy()) {
            *ran = true;
            act();
        } else if (clock->elapsed() > 10000) {
            timer->stop();
        }
    });
    timer->start(10);
    return {ran, std::move(poll)};
}

}  // namespace uitest
