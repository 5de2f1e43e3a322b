// The splash picture shown while the main window is built. It is modal and
// closes itself on its first timer tick, so start-up pauses about two
// seconds, long enough to read the name and version.
#pragma once

#include <QDialog>

namespace ui {

class SplashDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDefaultMs = 2000;

    explicit SplashDialog(int durationMs = kDefaultMs, QWidget* parent = nullptr);

    // Shows the splash modally until its timer fires. A duration of 0 or
    // less shows nothing (tests, and starts where the window is not shown).
    static void ShowFor(int durationMs, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;
    void timerEvent(QTimerEvent* event) override;

private:
    int durationMs_;
    int timer_ = 0;
};

}  // namespace ui
