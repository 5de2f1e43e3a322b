// Writes the order file that ambit hands to skiff. It carries the card
// holder's data and the scrambled (not encrypted) card number, so it is
// created under a unique name ("amb" and six random characters), mode 0600,
// in a directory only the user can enter; skiff deletes it as soon as it
// has read it.
#pragma once

#include <string>
#include <vector>

namespace purchase {

class OrderFileWriter {
public:
    // The temporary directory, created when missing and made 0700; "" (with
    // *error) when it cannot be made private, for example because another
    // user owns it or it is a link.
    static std::string PrivateDirectory(std::string* error = nullptr);

    // Writes the elements to a new file in PrivateDirectory() and returns
    // its path; "" with *error when that fails (nothing is left behind).
    static std::string Write(const std::vector<std::string>& elements,
                             std::string* error = nullptr);
};

}  // namespace purchase
