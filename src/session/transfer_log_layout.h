// How the user left the Transfer Log: its column widths and the column it
// was last sorted by, kept in the settings store so the next opening looks
// the same.
#pragma once

#include <vector>

namespace session {

struct TransferLogLayout {
    std::vector<int> widths;  // pixels, by column; 0 or missing: the default
    int sortColumn = -1;      // -1: file order

    // What was saved last; nothing stored or a store that cannot be read
    // gives the defaults.
    static TransferLogLayout Load();
    // Failures are ignored: the layout is a convenience.
    void Save() const;
};

}  // namespace session
