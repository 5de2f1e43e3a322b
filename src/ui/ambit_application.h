// The main program's start: the Qt application with the program's name and
// icon, message boxes as the prompt, the data directory, and the main
// window, whose start-up runs once the window is on screen.
#pragma once

namespace ui {

class AmbitApplication {
public:
    // Runs the program; returns its exit code.
    static int Run(int argc, char** argv);
};

}  // namespace ui
