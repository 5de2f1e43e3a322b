// A typed setting: one registry value that is read once and then served
// from a cache. The concrete settings (RegistryString, RegistryNumber) say
// how their type turns into bytes; this template holds the read, write and
// delete logic they share.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

#include "store/registry_errors.h"
#include "store/registry_value.h"

namespace store {

template <typename T>
class RegistrySetting {
public:
    virtual ~RegistrySetting() = default;

    // The value, read on first use. A read that fails throws (CRegistryEGet,
    // or CRegistryEType for a value of another type) and leaves the setting
    // loaded with an empty value, which later calls return without reading.
    T Get() {
        if (loaded_) return cached_;
        loaded_ = true;
        unsigned char buffer[kRegistryBufferSize] = {};
        std::uint32_t count = sizeof buffer;
        std::uint32_t type = 0;
        location_.Read(buffer, count, type);
        if (type != RegistryType()) throw CRegistryEType();
        cached_ = Decode(buffer, count);
        return cached_;
    }

    // Stores the value (throws CRegistryESet) and caches what was stored,
    // so this process sees what the other program will read.
    void Set(const T& value) {
        unsigned char buffer[kRegistryBufferSize] = {};
        Encode(value, buffer);
        std::uint32_t size = ByteSize(value);
        location_.Write(buffer, size, RegistryType());
        cached_ = Decode(buffer, size);
    }

    // Deletes the value; throws CRegistryEDel.
    void Delete() { location_.DeleteValue(); }

    const RegistryValue& Location() const { return location_; }

protected:
    explicit RegistrySetting(RegistryValue location) : location_(std::move(location)) {}

    // For the concrete constructors that take a default: writes it unless a
    // value of the right type is already stored.
    void PlantDefault(const T& value) {
        unsigned char buffer[kRegistryBufferSize] = {};
        Encode(value, buffer);
        location_.WriteIfAbsent(buffer, ByteSize(value), RegistryType());
    }

    virtual T Decode(const unsigned char* bytes, std::uint32_t byteCount) const = 0;
    virtual void Encode(const T& value, unsigned char (&buffer)[kRegistryBufferSize]) const = 0;
    virtual std::uint32_t ByteSize(const T& value) const = 0;
    virtual std::uint32_t RegistryType() const = 0;

private:
    RegistryValue location_;
    T cached_{};
    bool loaded_ = false;
};

}  // namespace store
