// The main program's start-up, timed as `ambit` does it (the splash, a
// fixed two-second pause, left out): from before the window is built to the
// first paint of its tree, and to the first complete paint of the window
// with the catalog read from ambit.amb and its root expanded. Prints
// "startup_ms <first paint> items <n> peak_kib <k> complete_ms <ms>".
//
//     startup-bench DATADIR      (AMBIT_REGISTRY etc. are set by the caller)
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QPixmap>
#include <cstdio>
#include <fstream>
#include <string>

#include "catalog/catalog.h"
#include "platform/paths.h"
#include "session/ambit_settings.h"
#include "session/settings_store.h"
#include "ui/client_view.h"
#include "ui/main_frame.h"

namespace {

// Notes when the watched widget is first painted.
class FirstPaint : public QObject {
public:
    FirstPaint(QWidget* widget, const QElapsedTimer& clock) : clock_(clock) {
        widget->installEventFilter(this);
    }
    qint64 Ms() const { return ms_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && ms_ < 0) {
            ms_ = clock_.elapsed();
            watched->removeEventFilter(this);
        }
        return false;
    }

private:
    const QElapsedTimer& clock_;
    qint64 ms_ = -1;
};

}  // namespace

static long PeakKib() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return -1;
}

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: startup-bench DATADIR\n");
        return 2;
    }
    QApplication app(argc, argv);
    const std::string dataDir = argv[1];
    // A returning user: no first-start question, no Options dialog.
    session::SettingsStore::SelectApplicationKey();
    session::AmbitSettings settings = session::AmbitSettings::Defaults();
    settings.email = "bench@example.org";
    session::SettingsStore::Save(settings);
    session::SettingsStore::MarkStarted();

    QElapsedTimer clock;
    clock.start();
    ui::CMainFrame frame(ui::FrameOptions{dataDir, 0});
    FirstPaint firstPaint(frame.View()->viewport(), clock);
    frame.resize(800, 600);
    frame.show();
    frame.View()->InitialUpdate();
    QApplication::processEvents();
    QPixmap shown = frame.grab();  // one complete paint of what the user sees
    const qint64 ms = clock.elapsed();
    if (shown.isNull()) return 1;
    // A window that never painted before the grab was first seen complete.
    const qint64 first = firstPaint.Ms() >= 0 ? firstPaint.Ms() : ms;
    std::printf("startup_ms %lld items %zu peak_kib %ld complete_ms %lld\n",
                static_cast<long long>(first), frame.View()->Catalog().Tree().ItemCount(),
                PeakKib(), static_cast<long long>(ms));
    frame.View()->Catalog().SetChanged(false);  // nothing to ask on the way out
    return 0;
}
