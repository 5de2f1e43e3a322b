#include "store/registry_application.h"

#include "platform/registry_db.h"
#include "store/registry_errors.h"

namespace store {
namespace {

struct Location {
    std::string company = kDefaultCompanyKey;
    std::string application = kUndefinedApplication;
    std::string version;
    bool flush = false;
};

Location& Current() {
    static Location location;
    return location;
}

}  // namespace

void SetCompanyKey(const std::string& company) { Current().company = company; }

void SetApplication(const std::string& name, const std::string& version) {
    Current().application = name;
    Current().version = version;
}

void SetFlushMode(int on) { Current().flush = on != 0; }

const std::string& CompanyKey() { return Current().company; }

bool FlushMode() { return Current().flush; }

std::string ApplicationPath() {
    if (Current().application == kUndefinedApplication) throw CRegistryEName();
    return Current().application + "\\" + Current().version;
}

std::string ApplicationKeyPath(const std::string& subkey) {
    std::string path = "Software\\" + Current().company + "\\" + ApplicationPath();
    if (!subkey.empty()) path += "\\" + subkey;
    return path;
}

std::string RegistryLastError() { return platform::RegistryDb::Shared().LastError(); }

}  // namespace store
