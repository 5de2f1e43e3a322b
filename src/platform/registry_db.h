// The settings database that stands where the system registry stood: one
// SQLite file of hierarchical keys, each holding named, typed values. Key
// and value names are compared without regard to ASCII case, paths separate
// key names with "\", and both programs may use the file at the same moment
// (WAL mode, a busy timeout, one short transaction per change). Every
// operation reports a status instead of throwing; the registry wrapper in
// src/store turns those into its exception classes.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

struct sqlite3;

namespace platform {

enum class RegStatus {
    Ok,
    NotFound,     // no such key or value
    NoMoreItems,  // enumeration ran past the last subkey
    MoreData,     // the data or name is longer than the caller allows
    BadName,      // an empty, over-long or otherwise unusable key name
    WrongType,    // the value exists with another type than the operation needs
    Failed,       // the file could not be opened, read or written (see LastError)
};

class RegistryDb {
public:
    using KeyId = std::int64_t;

    // The predefined root every path is relative to.
    static constexpr KeyId kLocalMachine = 1;

    // Value types, numbered as the programs have always numbered them.
    static constexpr std::uint32_t kString = 1;
    static constexpr std::uint32_t kBinary = 3;
    static constexpr std::uint32_t kNumber = 4;

    // Longest key name a key may have (bytes), as enumeration hands names
    // out in 256-byte buffers.
    static constexpr std::size_t kMaxKeyName = 255;

    // Nothing is opened until the first operation; a file that does not
    // exist is created with mode 0600 (it holds billing data).
    explicit RegistryDb(std::string path);
    ~RegistryDb();
    RegistryDb(const RegistryDb&) = delete;
    RegistryDb& operator=(const RegistryDb&) = delete;

    // $AMBIT_REGISTRY, else $XDG_CONFIG_HOME/internet-ambit/registry.sqlite3
    // ($XDG_CONFIG_HOME defaults to ~/.config).
    static std::string DefaultPath();

    // The process-wide database at DefaultPath(), opened on first use.
    static RegistryDb& Shared();
    // Closes the shared database; the next Shared() opens DefaultPath()
    // afresh (tests point $AMBIT_REGISTRY at a new file this way).
    static void CloseShared();

    const std::string& Path() const { return path_; }
    // What the last failing operation met, naming the file ("" after success).
    const std::string& LastError() const { return error_; }

    // Opens base\path. An empty path names base itself.
    RegStatus OpenKey(KeyId base, std::string_view path, KeyId& key);
    // Opens base\path, creating it and every missing key above it in one
    // transaction.
    RegStatus CreateKey(KeyId base, std::string_view path, KeyId& key);
    // Deletes base\path with all its subkeys and values. Roots cannot be deleted.
    RegStatus DeleteKey(KeyId base, std::string_view path);
    // Name of the index-th subkey (0-based, in case-insensitive name order).
    // NoMoreItems past the end; MoreData for a name over kMaxKeyName bytes.
    RegStatus EnumSubKey(KeyId key, std::uint32_t index, std::string& name);

    // An empty value name addresses the key's default value.
    RegStatus QueryValue(KeyId key, std::string_view name, std::uint32_t& type, std::string& data);
    // durable: the commit is synced to disk before this returns.
    RegStatus SetValue(KeyId key, std::string_view name, std::uint32_t type, std::string_view data,
                       bool durable);
    // Stores the value unless one of the same type and at most keepLimit
    // bytes is already there; check and write are one transaction, so a
    // failed read can never replace a stored value. written tells which.
    RegStatus SetValueIfAbsent(KeyId key, std::string_view name, std::uint32_t type,
                               std::string_view data, std::size_t keepLimit, bool durable,
                               bool& written);
    RegStatus DeleteValue(KeyId key, std::string_view name);
    // Adds one to a 32-bit number value (absent counts as 0) and hands back
    // the new value; read and write are one transaction, so two programs
    // counting at once never get the same number. WrongType when the value
    // is not a 4-byte number.
    RegStatus IncrementNumber(KeyId key, std::string_view name, bool durable, std::uint32_t& value);

private:
    class Transaction;

    bool Open();
    bool InitSchema();
    RegStatus Fail(const std::string& what);
    RegStatus FailSql(const std::string& what);
    bool KeyExists(KeyId key, bool& exists);
    RegStatus CheckKey(KeyId key);
    RegStatus BeginWrite(std::optional<Transaction>& t, bool durable);
    RegStatus Lookup(KeyId base, std::string_view path, bool create, KeyId& key);
    bool Exec(const char* sql);
    // Inserts or replaces one value, inside the caller's transaction.
    RegStatus Upsert(KeyId key, std::string_view name, std::uint32_t type, std::string_view data);

    std::string path_;
    std::string error_;
    sqlite3* db_ = nullptr;
};

}  // namespace platform
