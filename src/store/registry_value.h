// One named value of a key: the raw read, write and delete that the typed
// settings are built on, and that record code uses for binary values. Reads
// go through a caller's buffer, as the settings read into 256 bytes.
#pragma once

#include <cstdint>
#include <string>

#include "store/registry_key.h"

namespace store {

// The size of every buffer a value is read into or encoded in.
inline constexpr std::uint32_t kRegistryBufferSize = 256;

class RegistryValue {
public:
    // An empty name addresses the key's default value. Key constructors
    // throw as RegistryKey's do.
    RegistryValue(RegistryRoot root, std::string path, std::string name);
    RegistryValue(const std::string& subkey, std::string name);
    RegistryValue(RegistryKey key, std::string name);

    // Reads into buffer, which holds byteCount bytes; on return byteCount is
    // the size of the value and type its type. Throws CRegistryEGet when the
    // value is absent, does not fit or cannot be read.
    void Read(void* buffer, std::uint32_t& byteCount, std::uint32_t& type) const;

    // Throws CRegistryESet. In flush mode the write is durable on return.
    void Write(const void* bytes, std::uint32_t byteCount, std::uint32_t type);

    // Writes unless a value of this type that fits the 256-byte read buffer
    // is already stored. Throws CRegistryESet when it cannot tell or write.
    void WriteIfAbsent(const void* bytes, std::uint32_t byteCount, std::uint32_t type);

    // Adds one to this 32-bit number value (absent counts as 0) in one
    // transaction and returns the new value. Throws CRegistryEType when the
    // value has another type, CRegistryESet when it cannot be written.
    std::uint32_t IncrementNumber();

    // Throws CRegistryEDel, also when there is no such value.
    void DeleteValue();

    const RegistryKey& Key() const { return key_; }
    const std::string& Name() const { return name_; }

private:
    RegistryKey key_;
    std::string name_;
};

}  // namespace store
