// The main program's start-up, timed: from before the window is built to
// the first complete paint of the main window with the catalog read from
// ambit.amb and its root expanded, as `ambit` does it (the splash, a fixed
// two-second pause, left out). Prints "startup_ms <ms> items <n> peak_kib <k>".
//
//     startup-bench DATADIR      (AMBIT_REGISTRY etc. are set by the caller)
#include <QApplication>
#include <QElapsedTimer>
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
    frame.resize(800, 600);
    frame.show();
    frame.View()->InitialUpdate();
    QApplication::processEvents();
    QPixmap shown = frame.grab();  // one complete paint of what the user sees
    const qint64 ms = clock.elapsed();
    if (shown.isNull()) return 1;
    std::printf("startup_ms %lld items %zu peak_kib %ld\n", static_cast<long long>(ms),
                frame.View()->Catalog().Tree().ItemCount(), PeakKib());
    frame.View()->Catalog().SetChanged(false);  // nothing to ask on the way out
    return 0;
}
