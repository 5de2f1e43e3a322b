// ctest lists a test program's cases by running it without the tests'
// environment, and QApplication aborts without a display. The window tests
// always run offscreen, so say so before main() creates the application;
// a platform chosen from outside still wins.
#include <cstdlib>

namespace {

const bool kOffscreen = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    return true;
}();

}  // namespace
