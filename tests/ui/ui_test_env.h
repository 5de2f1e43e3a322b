// What every test of the main window needs: a fresh data directory, Windows
// directory and registry file in a temporary directory (through the same
// environment variables the program reads), a scripted prompt and a
// recording launcher, all restored when the test ends. Also bounded waits
// for a modal dialog to appear, so a test can answer it.
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <utility>

#include "platform/launcher.h"
#include "platform/paths.h"
#include "platform/prompt.h"
#include "platform/registry_db.h"
#include "temp_dir.h"
#include "ui/ambit_settings.h"
#include "ui/settings_store.h"

namespace uitest {

class UiTestEnv {
public:
    UiTestEnv() : scopedPrompt_(&prompt) {
        previousLauncher_ = platform::SetLauncher(&launcher);
        setenv("AMBIT_DATA_DIR", DataDir().c_str(), 1);
        setenv("AMBIT_WINDIR", dir.File("windows").c_str(), 1);
        setenv("AMBIT_REGISTRY", dir.File("registry.sqlite3").c_str(), 1);
        platform::RegistryDb::CloseShared();
        platform::MakeDirectories(DataDir());
    }
    ~UiTestEnv() {
        platform::SetLauncher(previousLauncher_);
        platform::RegistryDb::CloseShared();
        unsetenv("AMBIT_MAP_SERVER");
        unsetenv("AMBIT_FTP_PORT");
    }

    std::string DataDir() const { return dir.File("data"); }

    // Settings of a user who has been here before: a real address, so
    // start-up does not open the Options dialog.
    void StoreKnownUser() {
        ui::SettingsStore::SelectApplicationKey();
        ui::AmbitSettings s = ui::AmbitSettings::Defaults(DataDir());
        s.email = "reader@example.org";
        ui::SettingsStore::Save(s);
        ui::SettingsStore::MarkStarted();
    }

    testsupport::TempDir dir;
    platform::ScriptedPrompt prompt;
    platform::RecordingLauncher launcher;

private:
    platform::ScopedPrompt scopedPrompt_;
    platform::Launcher* previousLauncher_;
};

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
