#include "store/registry_key.h"

#include "store/registry_application.h"
#include "store/registry_errors.h"

namespace store {

using platform::RegistryDb;
using platform::RegStatus;

RegistryKey::RegistryKey(RegistryRoot root, std::string path)
    : root_(root), path_(std::move(path)) {
    Open();
}

RegistryKey::RegistryKey(const std::string& subkey)
    : root_(kLocalMachine), path_(ApplicationKeyPath(subkey)) {
    Open();
}

// The key is a row of the database, not an operating-system handle: there
// is nothing to release.
RegistryKey::~RegistryKey() = default;

// Open first, create only when that fails, then open again: the same steps
// whether this program or the other one created the key in between.
void RegistryKey::Open() {
    RegistryDb& db = RegistryDb::Shared();
    if (db.OpenKey(root_, path_, handle_) == RegStatus::Ok) return;
    RegistryDb::KeyId created = 0;
    if (db.CreateKey(root_, path_, created) != RegStatus::Ok) throw CRegistryECreate();
    if (db.OpenKey(root_, path_, handle_) != RegStatus::Ok) throw CRegistryECreate();
}

void RegistryKey::DeleteKey() {
    if (RegistryDb::Shared().DeleteKey(root_, path_) != RegStatus::Ok) throw CRegistryEDel();
}

std::string RegistryKey::EnumSubKey(std::uint32_t index) const {
    std::string name;
    switch (RegistryDb::Shared().EnumSubKey(handle_, index, name)) {
        case RegStatus::Ok:
            return name;
        case RegStatus::NoMoreItems:
            return {};
        default:
            throw CRegistryError();
    }
}

}  // namespace store
