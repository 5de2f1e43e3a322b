// Where in the settings database this process keeps its values: the
// process-wide company key, application name, version and flush mode that
// every application-relative key is built from. Both programs set the same
// company and application before building any setting, so they share one
// application key: Software\<company>\<application>\<version>.
#pragma once

#include <string>

namespace store {

// The company key this process starts with.
inline constexpr const char* kDefaultCompanyKey = "Tallis";
// The transfer program's first company key; it switches to "Tallis" when its
// main dialog starts, before any setting is built.
inline constexpr const char* kTransferProgramCompanyKey = "Tallis Group";
// The application name before SetApplication: building an application key
// then is an error (CRegistryEName).
inline constexpr const char* kUndefinedApplication = "undefined";
inline constexpr const char* kApplicationName = "Internet Ambit";
inline constexpr const char* kApplicationVersion = "1.1";

void SetCompanyKey(const std::string& company);
void SetApplication(const std::string& name, const std::string& version);
// Nonzero: every later value write is durable (synced) when it returns.
void SetFlushMode(int on);

const std::string& CompanyKey();
bool FlushMode();

// application + "\" + version; throws CRegistryEName while the application
// name is still "undefined".
std::string ApplicationPath();

// "Software\" + company + "\" + ApplicationPath(), then "\" + subkey unless
// subkey is empty. Throws CRegistryEName like ApplicationPath().
std::string ApplicationKeyPath(const std::string& subkey = {});

// What the settings database met at its last failure (the file and the
// reason), for messages to the user; empty if it reported none.
std::string RegistryLastError();

}  // namespace store
