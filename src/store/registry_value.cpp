#include "store/registry_value.h"

#include <cstring>
#include <string_view>

#include "store/registry_application.h"
#include "store/registry_errors.h"

namespace store {

using platform::RegistryDb;
using platform::RegStatus;

RegistryValue::RegistryValue(RegistryRoot root, std::string path, std::string name)
    : key_(root, std::move(path)), name_(std::move(name)) {}

RegistryValue::RegistryValue(const std::string& subkey, std::string name)
    : key_(subkey), name_(std::move(name)) {}

RegistryValue::RegistryValue(RegistryKey key, std::string name)
    : key_(std::move(key)), name_(std::move(name)) {}

void RegistryValue::Read(void* buffer, std::uint32_t& byteCount, std::uint32_t& type) const {
    std::string data;
    std::uint32_t storedType = 0;
    if (RegistryDb::Shared().QueryValue(key_.Handle(), name_, storedType, data) != RegStatus::Ok)
        throw CRegistryEGet();
    if (data.size() > byteCount) {
        byteCount = static_cast<std::uint32_t>(data.size());
        throw CRegistryEGet();
    }
    if (!data.empty()) std::memcpy(buffer, data.data(), data.size());
    byteCount = static_cast<std::uint32_t>(data.size());
    type = storedType;
}

void RegistryValue::Write(const void* bytes, std::uint32_t byteCount, std::uint32_t type) {
    std::string_view data(static_cast<const char*>(bytes), byteCount);
    if (RegistryDb::Shared().SetValue(key_.Handle(), name_, type, data, FlushMode()) !=
        RegStatus::Ok)
        throw CRegistryESet();
}

void RegistryValue::WriteIfAbsent(const void* bytes, std::uint32_t byteCount, std::uint32_t type) {
    std::string_view data(static_cast<const char*>(bytes), byteCount);
    bool written = false;
    if (RegistryDb::Shared().SetValueIfAbsent(key_.Handle(), name_, type, data, kRegistryBufferSize,
                                              FlushMode(), written) != RegStatus::Ok)
        throw CRegistryESet();
}

std::uint32_t RegistryValue::IncrementNumber() {
    std::uint32_t value = 0;
    switch (RegistryDb::Shared().IncrementNumber(key_.Handle(), name_, FlushMode(), value)) {
        case RegStatus::Ok:
            return value;
        case RegStatus::WrongType:
            throw CRegistryEType();
        default:
            throw CRegistryESet();
    }
}

void RegistryValue::DeleteValue() {
    if (RegistryDb::Shared().DeleteValue(key_.Handle(), name_) != RegStatus::Ok)
        throw CRegistryEDel();
}

}  // namespace store
