#include "store/registry_string.h"

#include <algorithm>

namespace store {

RegistryString::RegistryString(const std::string& name)
    : RegistrySetting(RegistryValue(std::string(), name)) {}

RegistryString::RegistryString(const std::string& name, const std::string& defaultValue)
    : RegistrySetting(RegistryValue(std::string(), name)) {
    PlantDefault(defaultValue);
}

RegistryString::RegistryString(const std::string& subkey, const std::string& name,
                               const std::string& defaultValue)
    : RegistrySetting(RegistryValue(subkey, name)) {
    PlantDefault(defaultValue);
}

RegistryString::RegistryString(RegistryRoot root, const std::string& path, const std::string& name)
    : RegistrySetting(RegistryValue(root, path, name)) {}

std::uint32_t RegistryString::StoredLength(const std::string& text) {
    size_t n = std::min<size_t>(text.find('\0'), text.size());
    if (n <= kMaxRegistryString) return static_cast<std::uint32_t>(n);
    n = kMaxRegistryString;
    // A cut inside a multi-byte character would leave text that no longer
    // decodes; drop the partial character instead (at most three bytes).
    auto continuation = [&](size_t i) {
        return (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80;
    };
    size_t back = 0;
    while (back < 3 && n > 0 && continuation(n)) {
        --n;
        ++back;
    }
    return static_cast<std::uint32_t>(n);
}

std::string RegistryString::Decode(const unsigned char* bytes, std::uint32_t byteCount) const {
    const char* text = reinterpret_cast<const char*>(bytes);
    return std::string(text, std::find(text, text + byteCount, '\0'));
}

void RegistryString::Encode(const std::string& value,
                            unsigned char (&buffer)[kRegistryBufferSize]) const {
    std::uint32_t n = StoredLength(value);
    std::copy_n(value.data(), n, reinterpret_cast<char*>(buffer));
    buffer[n] = '\0';
}

std::uint32_t RegistryString::ByteSize(const std::string& value) const {
    return StoredLength(value);
}

}  // namespace store
