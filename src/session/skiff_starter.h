// Starting the transfer program. The main program hands every download to
// `skiff` as one argument of fields each followed by "$$", starts it and
// never waits for it. skiff is looked for beside the running program first,
// then in the data directory.
#pragma once

#include <string>
#include <vector>

namespace session {

class SkiffStarter {
public:
    explicit SkiffStarter(std::string dataDirectory) : dataDirectory_(std::move(dataDirectory)) {}

    // Where skiff is expected: beside the running executable when it is
    // there, else in the data directory.
    std::string ProgramPath() const;

    // The single argument: each field followed by "$$".
    static std::string JoinFields(const std::vector<std::string>& fields);
    // A field holding "$$" would shift every later field; such a transfer
    // is refused rather than started with the wrong paths.
    static bool FieldsArePassable(const std::vector<std::string>& fields, std::string* offending);

    // Starts skiff with the fields. On failure tells the user why and
    // returns false.
    bool Start(const std::vector<std::string>& fields) const;

private:
    std::string dataDirectory_;
};

}  // namespace session
