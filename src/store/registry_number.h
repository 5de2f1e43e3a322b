// A 32-bit unsigned number setting (registry type 4, four bytes, least
// significant first as the registry always stored numbers).
#pragma once

#include <cstdint>
#include <string>

#include "store/registry_setting.h"

namespace store {

class RegistryNumber : public RegistrySetting<std::uint32_t> {
public:
    // In the application key; no default.
    explicit RegistryNumber(const std::string& name);
    // In the application key; plants the default when the value is absent
    // or of another type.
    RegistryNumber(const std::string& name, std::uint32_t defaultValue);
    // In the application key's subkey; plants the default likewise.
    RegistryNumber(const std::string& subkey, const std::string& name, std::uint32_t defaultValue);
    // In root\path, any path; no default.
    RegistryNumber(RegistryRoot root, const std::string& path, const std::string& name);

protected:
    std::uint32_t Decode(const unsigned char* bytes, std::uint32_t byteCount) const override;
    void Encode(const std::uint32_t& value,
                unsigned char (&buffer)[kRegistryBufferSize]) const override;
    std::uint32_t ByteSize(const std::uint32_t&) const override { return 4; }
    std::uint32_t RegistryType() const override { return platform::RegistryDb::kNumber; }
};

}  // namespace store
