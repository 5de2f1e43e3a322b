#include "store/registry_number.h"

namespace store {

RegistryNumber::RegistryNumber(const std::string& name)
    : RegistrySetting(RegistryValue(std::string(), name)) {}

RegistryNumber::RegistryNumber(const std::string& name, std::uint32_t defaultValue)
    : RegistrySetting(RegistryValue(std::string(), name)) {
    PlantDefault(defaultValue);
}

RegistryNumber::RegistryNumber(const std::string& subkey, const std::string& name,
                               std::uint32_t defaultValue)
    : RegistrySetting(RegistryValue(subkey, name)) {
    PlantDefault(defaultValue);
}

RegistryNumber::RegistryNumber(RegistryRoot root, const std::string& path, const std::string& name)
    : RegistrySetting(RegistryValue(root, path, name)) {}

// The read buffer is zeroed, so a shorter value (written raw by hand) reads
// as its bytes followed by zeros rather than as leftovers.
std::uint32_t RegistryNumber::Decode(const unsigned char* bytes, std::uint32_t) const {
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

void RegistryNumber::Encode(const std::uint32_t& value,
                            unsigned char (&buffer)[kRegistryBufferSize]) const {
    for (int i = 0; i < 4; ++i) buffer[i] = static_cast<unsigned char>(value >> (8 * i));
}

}  // namespace store
