// The registry wrapper on a real database file: defaults, the cache, type
// errors, limits, enumeration, deletion, an unusable file or full disk, and
// several processes writing at once.
#include <sqlite3.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include "file_size_limit.h"
#include "registry_fixture.h"
#include "store/registry_errors.h"
#include "store/registry_key.h"
#include "store/registry_number.h"
#include "store/registry_string.h"
#include "store/registry_value.h"

namespace {

using namespace store;

// The stored bytes and type of an application value.
std::pair<std::string, uint32_t> Raw(const char* name) {
    char buffer[kRegistryBufferSize];
    uint32_t size = sizeof buffer, type = 0;
    RegistryValue(std::string(), name).Read(buffer, size, type);
    return {std::string(buffer, size), type};
}

TEST_F(RegistryTest, DefaultsAreKeptUnlessAbsentOfAnotherTypeOrUnreadable) {
    EXPECT_EQ(RegistryString("email", "first@example.com").Get(), "first@example.com");
    EXPECT_EQ(RegistryString("email", "second@example.com").Get(), "first@example.com");
    EXPECT_EQ(RegistryNumber("sites", "last item", 3).Get(), 3u);
    EXPECT_EQ(RegistryNumber("sites", "last item", 9).Get(), 3u);
    RegistryString("count").Set("text where a number belongs");
    EXPECT_EQ(RegistryNumber("count", 7).Get(), 7u);
    RegistryString("name", "");  // an empty default is planted too
    EXPECT_EQ(Raw("name"), std::make_pair(std::string(), platform::RegistryDb::kString));

    // Raw bytes come back whole; a value too long for the read buffer
    // cannot be read and counts as absent for a default.
    const std::string cipher("\x00\x9f\xff\x10", 4);
    RegistryValue card(std::string(), "cardnum");
    card.Write(cipher.data(), 4, platform::RegistryDb::kBinary);
    EXPECT_EQ(Raw("cardnum"), std::make_pair(cipher, platform::RegistryDb::kBinary));
    card.Write(std::string(300, 'b').data(), 300, platform::RegistryDb::kString);
    EXPECT_THROW(RegistryString("cardnum").Get(), CRegistryEGet);
    EXPECT_EQ(RegistryString("cardnum", "short").Get(), "short");
}

TEST_F(RegistryTest, FailedReadsThrowOnceAndNamelessApplicationsCannotRead) {
    RegistryNumber("download dir").Set(42);
    RegistryString wrong("download dir");
    EXPECT_THROW(wrong.Get(), CRegistryEType);
    EXPECT_EQ(wrong.Get(), "");  // loaded: no second read, no second throw

    RegistryNumber absent("Trans Num");
    try {
        absent.Get();
        ADD_FAILURE() << "an absent value was read";
    } catch (const CRegistryEType&) {
        ADD_FAILURE() << "an absent value is not a type error";
    } catch (const CRegistryEGet&) {
    }
    EXPECT_EQ(absent.Get(), 0u);

    SetApplication(kUndefinedApplication, "");
    EXPECT_THROW(RegistryString("email", "x"), CRegistryEName);
    EXPECT_NO_THROW(RegistryKey(kLocalMachine, "Software\\Tallis"));
    SetCompanyKey(kTransferProgramCompanyKey);
    SetApplication(kApplicationName, kApplicationVersion);
    EXPECT_EQ(ApplicationKeyPath("sites"), "Software\\Tallis Group\\Internet Ambit\\1.1\\sites");
}

TEST_F(RegistryTest, StoredValuesKeepTheirLimits) {
    struct Case {
        std::string set, get;
    } const cases[] = {
        {std::string(300, 'x'), std::string(255, 'x')},
        {std::string(254, 'a') + "\xc3\xa9tail", std::string(254, 'a')},  // é straddles byte 255
        {std::string("555\0hidden", 10), "555"},
    };
    for (const Case& c : cases) {
        RegistryString writer("addr");
        writer.Set(c.set);
        EXPECT_EQ(writer.Get(), c.get);  // the cache holds what was stored
        EXPECT_EQ(RegistryString("addr").Get(), c.get);
    }
    RegistryNumber("size").Set(0xFEDCBA98u);
    EXPECT_EQ(RegistryNumber("size").Get(), 0xFEDCBA98u);
}

TEST_F(RegistryTest, KeysEnumerateInOrderIgnoreCaseAndDelete) {
    RegistryString(kLocalMachine, "SOFTWARE\\TALLIS\\internet ambit\\1.1\\Sites", "FTP.EXAMPLE.COM")
        .Set("12");
    EXPECT_EQ(RegistryString("sites", "ftp.example.com", "0").Get(), "12");

    RegistryKey records("incomplete");
    EXPECT_EQ(records.EnumSubKey(0), "");
    for (const char* n : {"3", "1", "2"})
        RegistryNumber(std::string("incomplete\\") + n, "size", 0);
    RegistryNumber("incomplete\\2\\chunks", "count", 1);
    std::vector<std::string> names;
    for (uint32_t i = 0; i < 5; ++i) names.push_back(records.EnumSubKey(i));
    EXPECT_EQ(names, (std::vector<std::string>{"1", "2", "3", "", ""}));

    RegistryKey record("incomplete\\2");
    record.DeleteKey();
    EXPECT_EQ(records.EnumSubKey(1), "3");
    EXPECT_THROW(record.DeleteKey(), CRegistryEDel);
    RegistryValue stale(record, "size");  // nothing is written through a deleted key
    EXPECT_THROW(stale.Write("\1\0\0\0", 4, 4), CRegistryESet);
    EXPECT_THROW(stale.WriteIfAbsent("\1\0\0\0", 4, 4), CRegistryESet);
    EXPECT_THROW(stale.IncrementNumber(), CRegistryESet);
    EXPECT_THROW(RegistryValue("incomplete\\2", "size").DeleteValue(), CRegistryEDel);
    RegistryString card("cardtype", "VISA");
    card.Delete();
    EXPECT_THROW(RegistryString("cardtype").Get(), CRegistryEGet);
    EXPECT_THROW(card.Delete(), CRegistryEDel);
}

TEST_F(RegistryTest, FileIsPrivateAndInspectableWithPlainSql) {
    SetFlushMode(1);  // durable writes go through the same path
    RegistryNumber("delete confirmation", 1);
    for (const std::string& file : {Path(), Path() + "-wal"}) {
        struct stat st {};
        ASSERT_EQ(::stat(file.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u) << file;
    }
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(Path().c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    std::string row;
    sqlite3_exec(
        db, "SELECT key || '|' || value || '|' || type || '|' || data FROM registry_view",
        [](void* out, int, char** v, char**) {
            *static_cast<std::string*>(out) += v[0] ? v[0] : "NULL";
            return 0;
        },
        &row, nullptr);
    sqlite3_close(db);
    EXPECT_EQ(row,
              "HKEY_LOCAL_MACHINE\\Software\\Tallis\\Internet Ambit\\1.1|delete confirmation|4|1");
}

TEST_F(RegistryTest, UnusableFileOrFullDiskIsReportedAndLosesNothing) {
    { std::ofstream(Path()) << "these are not settings\n"; }
    EXPECT_THROW(RegistryString("email", "x"), CRegistryECreate);
    EXPECT_NE(RegistryLastError().find(Path()), std::string::npos);
    EXPECT_EQ(Dir().Read("registry.sqlite3"), "these are not settings\n");
    std::remove(Path().c_str());
    platform::RegistryDb::CloseShared();

    RegistryString("name", "Ada");
    const std::string filler(200, 'f');
    testsupport::FileSizeLimit full(64 * 1024);
    auto fill = [&] {
        for (int i = 0; i < 2000; ++i) RegistryString("f" + std::to_string(i)).Set(filler);
    };
    EXPECT_THROW(fill(), CRegistryESet);
    full.Lift();
    EXPECT_FALSE(RegistryLastError().empty());
    RegistryString("tel").Set("555-0100");
    platform::RegistryDb::CloseShared();
    EXPECT_EQ(RegistryString("name").Get(), "Ada");
    EXPECT_EQ(RegistryString("tel").Get(), "555-0100");
    EXPECT_EQ(RegistryString("f0").Get(), filler);
}

// Writes "vI" = I under subkey for I < count, and every tenth time
// "shared" = subkey and I, in a child process; returns its id.
pid_t ForkWriter(const std::string& subkey, uint32_t count) {
    platform::RegistryDb::CloseShared();  // the child must not share our connection
    pid_t pid = fork();
    if (pid != 0) return pid;
    int status = 0;
    try {
        for (uint32_t i = 0; i < count; ++i) {
            RegistryNumber(subkey, "v" + std::to_string(i), 0).Set(i);
            if (i % 10 == 0) RegistryString("shared").Set(subkey + std::to_string(i));
        }
    } catch (const CRegistryError&) {
        status = 3;
    }
    _exit(status);
}

TEST_F(RegistryTest, ProcessesCreatingAndWritingAtOnceLoseNothing) {
    constexpr uint32_t kCount = 300;
    const pid_t writers[] = {ForkWriter("a", kCount), ForkWriter("b", kCount)};
    for (uint32_t i = 0; i < 100; ++i) RegistryNumber("p", "v" + std::to_string(i), 0).Set(i);
    for (pid_t pid : writers) {
        int status = -1;
        ASSERT_EQ(waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    }
    for (const char* subkey : {"a", "b", "p"})
        for (uint32_t i = 0; i < (*subkey == 'p' ? 100 : kCount); ++i)
            ASSERT_EQ(RegistryNumber(subkey, "v" + std::to_string(i), kCount).Get(), i) << subkey;
    const std::string shared = RegistryString("shared").Get();
    EXPECT_TRUE(shared == "a290" || shared == "b290") << shared;
}

}  // namespace
