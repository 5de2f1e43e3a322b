// A text setting (registry type 1). At most 255 bytes are stored; longer
// text is cut, never at a point that would split a UTF-8 character.
#pragma once

#include <string>

#include "store/registry_setting.h"

namespace store {

// The most bytes a text setting keeps.
inline constexpr std::uint32_t kMaxRegistryString = kRegistryBufferSize - 1;

class RegistryString : public RegistrySetting<std::string> {
public:
    // In the application key; no default.
    explicit RegistryString(const std::string& name);
    // In the application key; plants the default when the value is absent
    // or of another type.
    RegistryString(const std::string& name, const std::string& defaultValue);
    // In the application key's subkey; plants the default likewise.
    RegistryString(const std::string& subkey, const std::string& name,
                   const std::string& defaultValue);
    // In root\path, any path; no default.
    RegistryString(RegistryRoot root, const std::string& path, const std::string& name);

    // The bytes of text that are stored: up to the first NUL, at most
    // kMaxRegistryString, cut back to a whole UTF-8 character.
    static std::uint32_t StoredLength(const std::string& text);

protected:
    std::string Decode(const unsigned char* bytes, std::uint32_t byteCount) const override;
    void Encode(const std::string& value,
                unsigned char (&buffer)[kRegistryBufferSize]) const override;
    std::uint32_t ByteSize(const std::string& value) const override;
    std::uint32_t RegistryType() const override { return platform::RegistryDb::kString; }
};

}  // namespace store
