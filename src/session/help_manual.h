// The user manual: HTML pages installed beside the program (docs/ next to
// the executable in a build, share/internet-ambit/docs in an installation,
// or the data directory's docs/), opened in the desktop's browser.
#pragma once

#include <string>
#include <vector>

namespace session {

class HelpManual {
public:
    // Directories searched for the manual, in order.
    static std::vector<std::string> SearchDirectories();
    // Full path of a page of the manual, "" when the manual is not installed.
    static std::string FindPage(const std::string& page);
    // Opens a page ("index.html" is the table of contents, "keys.html" the
    // index of commands and keys). Tells the user when it cannot.
    static bool Open(const std::string& page);
};

}  // namespace session
