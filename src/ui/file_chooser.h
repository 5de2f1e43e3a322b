// The Browse buttons of the main window's dialogs ask a FileChooser for a
// path. The default ones show the file-open or file-save dialog; tests put
// their own in, since no one can click in a native dialog.
#pragma once

#include <QWidget>
#include <functional>
#include <optional>
#include <string>

namespace ui {

class FileChooser {
public:
    // A path, or nullopt when the user cancelled. `start` is the name the
    // dialog starts from.
    using Function =
        std::function<std::optional<std::string>(QWidget* parent, const std::string& start)>;

    static std::optional<std::string> OpenFile(QWidget* parent, const std::string& start);
    static std::optional<std::string> SaveFile(QWidget* parent, const std::string& start);
};

}  // namespace ui
