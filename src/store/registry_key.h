// One open key of the settings database. Building the object opens the key,
// creating it and any missing keys above it; every value, setting and
// resume record reaches the database through one of these.
#pragma once

#include <cstdint>
#include <string>

#include "platform/registry_db.h"

namespace store {

// A predefined root the key paths are relative to.
using RegistryRoot = platform::RegistryDb::KeyId;
inline constexpr RegistryRoot kLocalMachine = platform::RegistryDb::kLocalMachine;

class RegistryKey {
public:
    // Opens or creates root\path; throws CRegistryECreate.
    RegistryKey(RegistryRoot root, std::string path);
    // The application key + "\" + subkey (the application key itself when
    // subkey is empty); throws CRegistryEName or CRegistryECreate.
    explicit RegistryKey(const std::string& subkey);
    ~RegistryKey();

    RegistryKey(const RegistryKey&) = default;
    RegistryKey& operator=(const RegistryKey&) = default;

    // Deletes this key with everything below it; throws CRegistryEDel. The
    // object must not be used for values afterwards.
    void DeleteKey();

    // The name of the index-th subkey (0-based), or "" past the last one;
    // throws CRegistryError for any other failure. Callers count up from 0
    // until they get "".
    std::string EnumSubKey(std::uint32_t index) const;

    RegistryRoot Root() const { return root_; }
    const std::string& Path() const { return path_; }
    platform::RegistryDb::KeyId Handle() const { return handle_; }

private:
    void Open();

    platform::RegistryDb::KeyId handle_ = 0;
    RegistryRoot root_;
    std::string path_;
};

}  // namespace store
