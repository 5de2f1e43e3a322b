// ctest sets QT_QPA_PLATFORM=offscreen for each test, but not when it runs
// the program to list the tests; without a display the QApplication made by
// the shared test main() would then abort. Offscreen becomes the default
// here, before main() runs; a platform chosen in the environment still wins.
#include <cstdlib>

namespace {
const bool kOffscreenByDefault = ::setenv("QT_QPA_PLATFORM", "offscreen", 0) == 0;
}
