// The user's settings as the main window keeps them: e-mail address,
// default download directory, the two switches and the map server. They
// live in the registry under the program's key; this is their in-memory
// form, with the defaults a first start gets.
#pragma once

#include <cstdint>
#include <string>

namespace session {

// An address nobody has, so the program can tell that the user has not
// entered theirs yet (".invalid" can never resolve).
inline constexpr const char* kPlaceholderEmail = "your-name@address.invalid";

struct AmbitSettings {
    std::string email;
    std::string downloadDir;
    std::uint32_t deleteConfirmation = 1;
    std::uint32_t lastItem = 1;
    std::string serverAddress;
    std::string serverPath;

    // The first start's values.
    static AmbitSettings Defaults();

    // The map server and path a fetch of the first data file uses: the
    // settings when they are filled in, else the built-in ones
    // ($AMBIT_MAP_SERVER moves the built-in server).
    std::string MapServer() const;
    std::string MapPath() const;

    bool operator==(const AmbitSettings&) const = default;
};

}  // namespace session
