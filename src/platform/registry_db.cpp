#include "platform/registry_db.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/paths.h"

namespace platform {
namespace {

// Bumped whenever the tables change shape; a file from a newer program is
// left alone rather than misread.
constexpr int kSchemaVersion = 1;

// How long a change waits for the other program's transaction to end.
constexpr int kBusyTimeoutMs = 10000;

// A prepared statement that finalises itself.
class Statement {
public:
    Statement(sqlite3* db, const char* sql) {
        rc_ = sqlite3_prepare_v2(db, sql, -1, &stmt_, nullptr);
    }
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool Prepared() const { return rc_ == SQLITE_OK; }
    void Bind(int i, std::int64_t v) { sqlite3_bind_int64(stmt_, i, v); }
    void BindText(int i, std::string_view s) {
        sqlite3_bind_text(stmt_, i, s.data() ? s.data() : "", static_cast<int>(s.size()),
                          SQLITE_TRANSIENT);
    }
    // An empty blob must still be a blob, not NULL, or NOT NULL rejects it.
    void BindBlob(int i, std::string_view s) {
        if (s.empty())
            sqlite3_bind_zeroblob(stmt_, i, 0);
        else
            sqlite3_bind_blob(stmt_, i, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
    }
    int Step() { return sqlite3_step(stmt_); }
    std::int64_t Int(int col) { return sqlite3_column_int64(stmt_, col); }
    std::string Bytes(int col) {
        const void* p = sqlite3_column_blob(stmt_, col);
        int n = sqlite3_column_bytes(stmt_, col);
        return p ? std::string(static_cast<const char*>(p), static_cast<size_t>(n)) : std::string();
    }

private:
    sqlite3_stmt* stmt_ = nullptr;
    int rc_;
};

std::vector<std::string_view> SplitPath(std::string_view path) {
    std::vector<std::string_view> parts;
    if (path.empty()) return parts;
    size_t start = 0;
    while (true) {
        size_t pos = path.find('\\', start);
        parts.push_back(path.substr(start, pos == std::string_view::npos ? pos : pos - start));
        if (pos == std::string_view::npos) break;
        start = pos + 1;
    }
    return parts;
}

// The little-endian 32-bit number in a 4-byte blob, as SQL, for the view.
std::string NumberExpression() {
    std::string expr;
    const char* weights[] = {"1", "256", "65536", "16777216"};
    for (int i = 0; i < 4; ++i) {
        auto nibble = [&](int at) {
            return "(instr('0123456789ABCDEF', substr(hex(v.data), " + std::to_string(at) +
                   ", 1)) - 1)";
        };
        if (i) expr += " + ";
        expr += "(" + nibble(2 * i + 1) + " * 16 + " + nibble(2 * i + 2) + ") * " + weights[i];
    }
    return expr;
}

}  // namespace

// One write transaction: BEGIN IMMEDIATE takes the write lock at once, so
// two programs changing the file queue on the busy timeout instead of
// failing when a read turns into a write. Rolled back unless committed.
class RegistryDb::Transaction {
public:
    Transaction(RegistryDb& db, bool durable) : db_(db), durable_(durable) {
        if (durable_) db_.Exec("PRAGMA synchronous=FULL");
        begun_ = db_.Exec("BEGIN IMMEDIATE");
    }
    ~Transaction() {
        if (begun_ && !committed_) sqlite3_exec(db_.db_, "ROLLBACK", nullptr, nullptr, nullptr);
        if (durable_) sqlite3_exec(db_.db_, "PRAGMA synchronous=NORMAL", nullptr, nullptr, nullptr);
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    bool Begun() const { return begun_; }
    bool Commit() {
        committed_ = db_.Exec("COMMIT");
        return committed_;
    }

private:
    RegistryDb& db_;
    bool durable_;
    bool begun_ = false;
    bool committed_ = false;
};

namespace {
std::unique_ptr<RegistryDb> gShared;
}

RegistryDb::RegistryDb(std::string path) : path_(std::move(path)) {}

RegistryDb::~RegistryDb() {
    if (db_) sqlite3_close_v2(db_);
}

std::string RegistryDb::DefaultPath() {
    const char* env = std::getenv("AMBIT_REGISTRY");
    if (env && *env) return env;
    return JoinPath(XdgDirectory("XDG_CONFIG_HOME", "/.config"), "internet-ambit/registry.sqlite3");
}

RegistryDb& RegistryDb::Shared() {
    if (!gShared) gShared = std::make_unique<RegistryDb>(DefaultPath());
    return *gShared;
}

void RegistryDb::CloseShared() { gShared.reset(); }

RegStatus RegistryDb::Fail(const std::string& what) {
    error_ = path_ + ": " + what;
    return RegStatus::Failed;
}

RegStatus RegistryDb::FailSql(const std::string& what) {
    return Fail(what + " (" + (db_ ? sqlite3_errmsg(db_) : "not open") + ")");
}

bool RegistryDb::Exec(const char* sql) {
    char* msg = nullptr;
    int rc = sqlite3_exec(db_, sql, nullptr, nullptr, &msg);
    if (rc != SQLITE_OK) {
        Fail(std::string(sql) + " failed (" + (msg ? msg : sqlite3_errstr(rc)) + ")");
        sqlite3_free(msg);
        return false;
    }
    return true;
}

bool RegistryDb::Open() {
    if (db_) return true;
    auto slash = path_.rfind('/');
    if (slash != std::string::npos && slash > 0 && !MakeDirectories(path_.substr(0, slash))) {
        Fail(std::string("cannot create its directory (") + std::strerror(errno) + ")");
        return false;
    }
    // Created here rather than by SQLite so that it is private from the
    // first byte on; SQLite gives its -wal and -shm files the same mode.
    if (!FileExists(path_)) {
        int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) {
            Fail(std::string("cannot create the file (") + std::strerror(errno) + ")");
            return false;
        }
        ::close(fd);
    }
    if (sqlite3_open_v2(path_.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        FailSql("cannot open the settings database");
        sqlite3_close_v2(db_);
        db_ = nullptr;
        return false;
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, kBusyTimeoutMs);
    if (!InitSchema()) {
        std::string why = error_;
        sqlite3_close_v2(db_);
        db_ = nullptr;
        error_ = why;
        return false;
    }
    return true;
}

bool RegistryDb::InitSchema() {
    // Switching a new file to WAL needs the file to itself for a moment; when
    // both programs create it at once, one of them is told "busy" without
    // the busy handler being asked, so it waits here, within the same bound.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kBusyTimeoutMs);
    while (true) {
        Statement mode(db_, "PRAGMA journal_mode=WAL");
        int rc = mode.Prepared() ? mode.Step() : sqlite3_errcode(db_);
        if (rc == SQLITE_ROW) {
            if (mode.Bytes(0) == "wal") break;
            Fail("cannot switch the settings database to WAL mode");
            return false;
        }
        if ((rc & 0xff) != SQLITE_BUSY || std::chrono::steady_clock::now() > deadline) {
            FailSql("is not a usable settings database");
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (!Exec("PRAGMA synchronous=NORMAL") || !Exec("PRAGMA foreign_keys=ON")) return false;

    auto version = [this](int& v) {
        Statement s(db_, "PRAGMA user_version");
        if (!s.Prepared() || s.Step() != SQLITE_ROW) return false;
        v = static_cast<int>(s.Int(0));
        return true;
    };
    int v = 0;
    if (!version(v)) {
        FailSql("cannot read the settings database");
        return false;
    }
    if (v == kSchemaVersion) return true;
    if (v > kSchemaVersion) {
        Fail("was written by a newer version of the program (format " + std::to_string(v) + ")");
        return false;
    }
    Transaction t(*this, true);
    if (!t.Begun()) return false;
    if (!version(v)) {
        FailSql("cannot read the settings database");
        return false;
    }
    if (v == kSchemaVersion) return t.Commit();  // the other program was first
    std::string sql = R"(
        CREATE TABLE IF NOT EXISTS registry_keys(
            id INTEGER PRIMARY KEY AUTOINCREMENT,
            parent INTEGER REFERENCES registry_keys(id) ON DELETE CASCADE,
            name TEXT NOT NULL COLLATE NOCASE,
            UNIQUE(parent, name));
        CREATE TABLE IF NOT EXISTS registry_values(
            key INTEGER NOT NULL REFERENCES registry_keys(id) ON DELETE CASCADE,
            name TEXT NOT NULL COLLATE NOCASE,
            type INTEGER NOT NULL,
            data BLOB NOT NULL,
            PRIMARY KEY(key, name));
        INSERT OR IGNORE INTO registry_keys(id, parent, name) VALUES (1, NULL, 'HKEY_LOCAL_MACHINE');
        CREATE VIEW IF NOT EXISTS registry_view AS
            WITH RECURSIVE tree(id, path) AS (
                SELECT id, name FROM registry_keys WHERE parent IS NULL
                UNION ALL
                SELECT k.id, tree.path || '\' || k.name FROM registry_keys k JOIN tree ON k.parent = tree.id)
            SELECT tree.path AS key, v.name AS value, v.type AS type,
                CASE WHEN v.type = 1 THEN CAST(v.data AS TEXT)
                     WHEN v.type = 4 AND length(v.data) = 4 THEN )" +
                      NumberExpression() + R"(
                     ELSE hex(v.data) END AS data
            FROM tree JOIN registry_values v ON v.key = tree.id;
        PRAGMA user_version = )" +
                      std::to_string(kSchemaVersion) + ";";
    if (!Exec(sql.c_str())) return false;
    return t.Commit();
}

bool RegistryDb::KeyExists(KeyId key, bool& exists) {
    Statement s(db_, "SELECT 1 FROM registry_keys WHERE id = ?1");
    if (!s.Prepared()) {
        FailSql("cannot read a key");
        return false;
    }
    s.Bind(1, key);
    int rc = s.Step();
    if (rc != SQLITE_ROW && rc != SQLITE_DONE) {
        FailSql("cannot read a key");
        return false;
    }
    exists = rc == SQLITE_ROW;
    return true;
}

// Fails unless key still exists: the other program may have deleted it
// while this one held it open.
RegStatus RegistryDb::CheckKey(KeyId key) {
    bool exists = false;
    if (!KeyExists(key, exists)) return RegStatus::Failed;
    if (!exists) return Fail("the key was deleted while open");
    return RegStatus::Ok;
}

// The start of every change: the file open, the last error cleared and a
// write transaction begun in t.
RegStatus RegistryDb::BeginWrite(std::optional<Transaction>& t, bool durable) {
    if (!Open()) return RegStatus::Failed;
    error_.clear();
    t.emplace(*this, durable);
    return t->Begun() ? RegStatus::Ok : RegStatus::Failed;
}

RegStatus RegistryDb::Lookup(KeyId base, std::string_view path, bool create, KeyId& key) {
    bool exists = false;
    if (!KeyExists(base, exists)) return RegStatus::Failed;
    if (!exists) return RegStatus::NotFound;
    KeyId current = base;
    for (std::string_view name : SplitPath(path)) {
        if (name.empty() || name.size() > kMaxKeyName) {
            error_ = path_ + ": unusable key name in \"" + std::string(path) + "\"";
            return RegStatus::BadName;
        }
        Statement find(db_, "SELECT id FROM registry_keys WHERE parent = ?1 AND name = ?2");
        if (!find.Prepared()) return FailSql("cannot read a key");
        find.Bind(1, current);
        find.BindText(2, name);
        int rc = find.Step();
        if (rc == SQLITE_ROW) {
            current = find.Int(0);
            continue;
        }
        if (rc != SQLITE_DONE) return FailSql("cannot read a key");
        if (!create) return RegStatus::NotFound;
        Statement add(db_, "INSERT INTO registry_keys(parent, name) VALUES (?1, ?2)");
        if (!add.Prepared()) return FailSql("cannot create a key");
        add.Bind(1, current);
        add.BindText(2, name);
        if (add.Step() != SQLITE_DONE) return FailSql("cannot create a key");
        current = sqlite3_last_insert_rowid(db_);
    }
    key = current;
    return RegStatus::Ok;
}

RegStatus RegistryDb::OpenKey(KeyId base, std::string_view path, KeyId& key) {
    if (!Open()) return RegStatus::Failed;
    error_.clear();
    return Lookup(base, path, false, key);
}

RegStatus RegistryDb::CreateKey(KeyId base, std::string_view path, KeyId& key) {
    std::optional<Transaction> t;
    if (BeginWrite(t, false) != RegStatus::Ok) return RegStatus::Failed;
    RegStatus s = Lookup(base, path, true, key);
    if (s != RegStatus::Ok) return s;
    return t->Commit() ? RegStatus::Ok : RegStatus::Failed;
}

RegStatus RegistryDb::DeleteKey(KeyId base, std::string_view path) {
    std::optional<Transaction> t;
    if (BeginWrite(t, false) != RegStatus::Ok) return RegStatus::Failed;
    KeyId key = 0;
    RegStatus s = Lookup(base, path, false, key);
    if (s != RegStatus::Ok) return s;
    if (key == kLocalMachine) {
        error_ = path_ + ": a root key cannot be deleted";
        return RegStatus::BadName;
    }
    // The whole subtree goes, values first; nothing is left orphaned even
    // if a hand-edited file has foreign keys switched off.
    static const char* const kDeletes[] = {
        "WITH RECURSIVE sub(id) AS (SELECT ?1 UNION ALL SELECT k.id FROM registry_keys k "
        "JOIN sub ON k.parent = sub.id) DELETE FROM registry_values WHERE key IN (SELECT id FROM "
        "sub)",
        "WITH RECURSIVE sub(id) AS (SELECT ?1 UNION ALL SELECT k.id FROM registry_keys k "
        "JOIN sub ON k.parent = sub.id) DELETE FROM registry_keys WHERE id IN (SELECT id FROM sub)",
    };
    for (const char* sql : kDeletes) {
        Statement del(db_, sql);
        if (!del.Prepared()) return FailSql("cannot delete a key");
        del.Bind(1, key);
        if (del.Step() != SQLITE_DONE) return FailSql("cannot delete a key");
    }
    return t->Commit() ? RegStatus::Ok : RegStatus::Failed;
}

RegStatus RegistryDb::EnumSubKey(KeyId key, std::uint32_t index, std::string& name) {
    if (!Open()) return RegStatus::Failed;
    error_.clear();
    if (CheckKey(key) != RegStatus::Ok) return RegStatus::Failed;
    Statement s(db_,
                "SELECT name FROM registry_keys WHERE parent = ?1 "
                "ORDER BY name COLLATE NOCASE, id LIMIT 1 OFFSET ?2");
    if (!s.Prepared()) return FailSql("cannot list subkeys");
    s.Bind(1, key);
    s.Bind(2, index);
    int rc = s.Step();
    if (rc == SQLITE_DONE) return RegStatus::NoMoreItems;
    if (rc != SQLITE_ROW) return FailSql("cannot list subkeys");
    name = s.Bytes(0);
    if (name.size() > kMaxKeyName) return RegStatus::MoreData;
    return RegStatus::Ok;
}

RegStatus RegistryDb::QueryValue(KeyId key, std::string_view name, std::uint32_t& type,
                                 std::string& data) {
    if (!Open()) return RegStatus::Failed;
    error_.clear();
    Statement s(db_, "SELECT type, data FROM registry_values WHERE key = ?1 AND name = ?2");
    if (!s.Prepared()) return FailSql("cannot read a value");
    s.Bind(1, key);
    s.BindText(2, name);
    int rc = s.Step();
    if (rc == SQLITE_DONE) return RegStatus::NotFound;
    if (rc != SQLITE_ROW) return FailSql("cannot read a value");
    type = static_cast<std::uint32_t>(s.Int(0));
    data = s.Bytes(1);
    return RegStatus::Ok;
}

RegStatus RegistryDb::Upsert(KeyId key, std::string_view name, std::uint32_t type,
                             std::string_view data) {
    Statement up(db_,
                 "INSERT INTO registry_values(key, name, type, data) VALUES (?1, ?2, ?3, ?4) "
                 "ON CONFLICT(key, name) DO UPDATE SET type = excluded.type, data = excluded.data");
    if (!up.Prepared()) return FailSql("cannot write a value");
    up.Bind(1, key);
    up.BindText(2, name);
    up.Bind(3, type);
    up.BindBlob(4, data);
    if (up.Step() != SQLITE_DONE) return FailSql("cannot write a value");
    return RegStatus::Ok;
}

RegStatus RegistryDb::SetValue(KeyId key, std::string_view name, std::uint32_t type,
                               std::string_view data, bool durable) {
    bool written = false;
    return SetValueIfAbsent(key, name, type, data, static_cast<std::size_t>(-1), durable, written);
}

RegStatus RegistryDb::SetValueIfAbsent(KeyId key, std::string_view name, std::uint32_t type,
                                       std::string_view data, std::size_t keepLimit, bool durable,
                                       bool& written) {
    written = false;
    std::optional<Transaction> t;
    if (BeginWrite(t, durable) != RegStatus::Ok || CheckKey(key) != RegStatus::Ok)
        return RegStatus::Failed;
    // SetValue passes the largest size_t as keepLimit and means "always
    // write"; no stored value can be kept then.
    if (keepLimit != static_cast<std::size_t>(-1)) {
        Statement s(db_,
                    "SELECT type, length(data) FROM registry_values WHERE key = ?1 AND name = ?2");
        if (!s.Prepared()) return FailSql("cannot read a value");
        s.Bind(1, key);
        s.BindText(2, name);
        int rc = s.Step();
        if (rc == SQLITE_ROW && static_cast<std::uint32_t>(s.Int(0)) == type &&
            static_cast<std::size_t>(s.Int(1)) <= keepLimit)
            return t->Commit() ? RegStatus::Ok : RegStatus::Failed;
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) return FailSql("cannot read a value");
    }
    if (Upsert(key, name, type, data) != RegStatus::Ok) return RegStatus::Failed;
    if (!t->Commit()) return RegStatus::Failed;
    written = true;
    return RegStatus::Ok;
}

RegStatus RegistryDb::DeleteValue(KeyId key, std::string_view name) {
    std::optional<Transaction> t;
    if (BeginWrite(t, false) != RegStatus::Ok) return RegStatus::Failed;
    Statement del(db_, "DELETE FROM registry_values WHERE key = ?1 AND name = ?2");
    if (!del.Prepared()) return FailSql("cannot delete a value");
    del.Bind(1, key);
    del.BindText(2, name);
    if (del.Step() != SQLITE_DONE) return FailSql("cannot delete a value");
    if (sqlite3_changes(db_) == 0) return RegStatus::NotFound;
    return t->Commit() ? RegStatus::Ok : RegStatus::Failed;
}

RegStatus RegistryDb::IncrementNumber(KeyId key, std::string_view name, bool durable,
                                      std::uint32_t& value) {
    std::optional<Transaction> t;
    if (BeginWrite(t, durable) != RegStatus::Ok || CheckKey(key) != RegStatus::Ok)
        return RegStatus::Failed;
    Statement s(db_, "SELECT type, data FROM registry_values WHERE key = ?1 AND name = ?2");
    if (!s.Prepared()) return FailSql("cannot read a value");
    s.Bind(1, key);
    s.BindText(2, name);
    int rc = s.Step();
    std::uint32_t current = 0;
    if (rc == SQLITE_ROW) {
        std::string data = s.Bytes(1);
        if (static_cast<std::uint32_t>(s.Int(0)) != kNumber || data.size() != 4) {
            error_ = path_ + ": the value \"" + std::string(name) + "\" is not a number";
            return RegStatus::WrongType;
        }
        for (int i = 3; i >= 0; --i)
            current = current << 8 | static_cast<unsigned char>(data[static_cast<size_t>(i)]);
    } else if (rc != SQLITE_DONE) {
        return FailSql("cannot read a value");
    }
    std::uint32_t next = current + 1;
    char bytes[4];
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(next >> (8 * i));
    if (Upsert(key, name, kNumber, std::string_view(bytes, 4)) != RegStatus::Ok)
        return RegStatus::Failed;
    if (!t->Commit()) return RegStatus::Failed;
    value = next;
    return RegStatus::Ok;
}

}  // namespace platform
