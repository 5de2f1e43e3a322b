#include "ui/ambit_application.h"

#include <QApplication>
#include <QTimer>
#include <csignal>
#include <cstdio>

#include "platform/gui/message_box_prompt.h"
#include "platform/paths.h"
#include "platform/prompt.h"
#include "ui/client_view.h"
#include "ui/main_frame.h"
#include "ui/tool_images.h"
#include "ui/window_layout_keeper.h"

namespace ui {

int AmbitApplication::Run(int argc, char** argv) {
    // Past a file-size limit a save then fails with a message instead of
    // the signal ending the program and losing the tree.
    std::signal(SIGXFSZ, SIG_IGN);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Internet Ambit"));
    QApplication::setApplicationDisplayName(QStringLiteral("Internet Ambit"));
    QApplication::setApplicationVersion(QStringLiteral("1.1a"));
    QApplication::setWindowIcon(AppIcon());

    // Captured once: nothing later depends on the current directory.
    FrameOptions options;
    options.dataDirectory = platform::DataDirectory();
    if (!platform::MakeDirectories(options.dataDirectory)) {
        std::fprintf(stderr, "ambit: cannot create the data directory %s\n",
                     options.dataDirectory.c_str());
        return 1;
    }

    platform::MessageBoxPrompt prompt;
    platform::ScopedPrompt scoped(&prompt);
    CMainFrame frame(options);
    prompt.SetParent(&frame);
    frame.show();
    // Questions of the start-up belong over a visible window.
    QTimer::singleShot(0, &frame, [&frame] {
        frame.View()->InitialUpdate();
        WindowLayoutKeeper::RestoreOpenFolders(*frame.View());
    });
    return app.exec();
}

}  // namespace ui
