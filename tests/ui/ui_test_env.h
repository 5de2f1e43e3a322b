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
#include <vector>

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

// Answers the modal dialogs that appear one after the other, each with its
// step; returns how many steps ran. Each step is armed before the previous
// dialog closes.
inline std::shared_ptr<int> WhenModals(std::vector<std::function<void(QWidget*)>> steps) {
    auto ran = std::make_shared<int>(0);
    auto next = std::make_shared<std::function<void(size_t)>>();
    // The step in flight holds the chain; the chain itself holds it weakly,
    // or the two would keep each other alive after the last dialog.
    std::weak_ptr<std::function<void(size_t)>> chain = next;
    *next = [steps, ran, chain](size_t i) {
        if (i >= steps.size()) return;
        WhenModal([steps, ran, self = chain.lock(), i](QWidget* w) {
            ++*ran;
            (*self)(i + 1);
            steps[i](w);
        });
    };
    (*next)(0);
    return ran;
}

}  // namespace uitest
