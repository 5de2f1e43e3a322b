// The registry wrapper on a real database file: defaults, the cache, type
// errors, limits, enumeration, deletion, and what happens when the file is
// unusable or the disk is full.
#include <sqlite3.h>
#include <sys/stat.h>

#include <csignal>
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

TEST_F(RegistryTest, DefaultIsPlantedOnlyWhenAbsentOrOfAnotherType) {
    EXPECT_EQ(RegistryString("email", "first@example.com").Get(), "first@example.com");
    EXPECT_EQ(RegistryString("email", "second@example.com").Get(), "first@example.com");
    EXPECT_EQ(RegistryNumber("sites", "last item", 3).Get(), 3u);
    EXPECT_EQ(RegistryNumber("sites", "last item", 9).Get(), 3u);

    RegistryString("count").Set("text where a number belongs");
    EXPECT_EQ(RegistryNumber("count", 7).Get(), 7u);  // wrong type: the default replaces it
    RegistryNumber("server path").Set(12);
    EXPECT_EQ(RegistryString("server path", "/pub/ambit.amb").Get(), "/pub/ambit.amb");

    // An empty default is planted too (billing values rely on it).
    EXPECT_EQ(RegistryString("name", "").Get(), "");
    uint8_t buffer[kRegistryBufferSize];
    uint32_t size = sizeof buffer, type = 0;
    RegistryValue(std::string(), "name").Read(buffer, size, type);
    EXPECT_EQ(size, 0u);
    EXPECT_EQ(type, platform::RegistryDb::kString);
}

TEST_F(RegistryTest, TypeErrorIsCaughtAsReadErrorAndLeavesAnEmptyLoadedSetting) {
    RegistryNumber("download dir").Set(42);
    RegistryString wrong("download dir");
    bool caughtAsGet = false;
    try {
        wrong.Get();
    } catch (const CRegistryEGet&) {
        caughtAsGet = true;
    }
    EXPECT_TRUE(caughtAsGet);
    EXPECT_THROW(RegistryString("download dir").Get(), CRegistryEType);
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
}

TEST_F(RegistryTest, StringsAreCutTo255BytesWithoutSplittingACharacter) {
    std::string longText(300, 'x');
    for (size_t i = 0; i < longText.size(); ++i) longText[i] = static_cast<char>('a' + i % 26);
    RegistryString writer("addr");
    writer.Set(longText);
    EXPECT_EQ(writer.Get(), longText.substr(0, 255));  // the cache holds what was stored
    EXPECT_EQ(RegistryString("addr").Get(), longText.substr(0, 255));

    std::string accented = std::string(254, 'a') + "\xc3\xa9" + "tail";  // é straddles byte 255
    RegistryString("caddr").Set(accented);
    EXPECT_EQ(RegistryString("caddr").Get(), std::string(254, 'a'));

    RegistryString("ctel").Set(std::string("555\0hidden", 10));  // text ends at a NUL
    EXPECT_EQ(RegistryString("ctel").Get(), "555");

    uint32_t big = 0xFEDCBA98u;
    RegistryNumber("size").Set(big);
    EXPECT_EQ(RegistryNumber("size").Get(), big);
}

TEST_F(RegistryTest, NamesAreComparedWithoutCaseAndPathsShareKeys) {
    RegistryString(kLocalMachine, "SOFTWARE\\TALLIS\\internet ambit\\1.1\\Sites", "FTP.EXAMPLE.COM")
        .Set("12");
    EXPECT_EQ(RegistryString("sites", "ftp.example.com", "0").Get(), "12");
    EXPECT_EQ(RegistryKey("SITES").Path(), "Software\\Tallis\\Internet Ambit\\1.1\\SITES");
    EXPECT_EQ(RegistryKey("SITES").Handle(), RegistryKey("sites").Handle());
}

TEST_F(RegistryTest, EnumerationCountsUpAndEndsWithAnEmptyName) {
    RegistryKey records("incomplete");
    EXPECT_EQ(records.EnumSubKey(0), "");
    for (const char* n : {"3", "1", "2"})
        RegistryNumber(std::string("incomplete\\") + n, "size", 0);
    std::vector<std::string> names;
    for (uint32_t i = 0;; ++i) {
        std::string name = records.EnumSubKey(i);
        if (name.empty()) break;
        names.push_back(name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"1", "2", "3"}));
    EXPECT_EQ(records.EnumSubKey(3), "");
    EXPECT_EQ(records.EnumSubKey(1000), "");
}

TEST_F(RegistryTest, DeletingValuesAndKeys) {
    RegistryString card("cardtype", "VISA");
    card.Delete();
    EXPECT_THROW(RegistryString("cardtype").Get(), CRegistryEGet);
    EXPECT_THROW(card.Delete(), CRegistryEDel);  // nothing left to delete

    RegistryNumber("incomplete\\7", "size", 100);
    RegistryNumber("incomplete\\7\\chunks", "count", 1);
    RegistryNumber("incomplete\\8", "size", 200);
    RegistryKey record("incomplete\\7");
    record.DeleteKey();
    EXPECT_EQ(RegistryKey("incomplete").EnumSubKey(0), "8");
    EXPECT_EQ(RegistryKey("incomplete").EnumSubKey(1), "");
    EXPECT_THROW(record.DeleteKey(), CRegistryEDel);
    // Values of a deleted key cannot be written through a stale object.
    EXPECT_THROW(RegistryValue(record, "size").Write("\1\0\0\0", 4, 4), CRegistryESet);
    // A key built again afresh is new and empty.
    EXPECT_THROW(RegistryValue("incomplete\\7", "size").DeleteValue(), CRegistryEDel);
}

TEST_F(RegistryTest, ApplicationKeysNeedTheApplicationName) {
    SetApplication(kUndefinedApplication, "");
    EXPECT_THROW(RegistryKey("sites"), CRegistryEName);
    EXPECT_THROW(RegistryString("email", "x"), CRegistryEName);
    EXPECT_THROW(RegistryNumber("Trans Num"), CRegistryEName);
    EXPECT_THROW(ApplicationPath(), CRegistryEName);
    EXPECT_NO_THROW(RegistryKey(kLocalMachine, "Software\\Tallis"));

    SetCompanyKey(kTransferProgramCompanyKey);
    SetApplication(kApplicationName, kApplicationVersion);
    EXPECT_EQ(ApplicationKeyPath("sites"), "Software\\Tallis Group\\Internet Ambit\\1.1\\sites");
}

TEST_F(RegistryTest, RawValuesKeepTheirBytesAndOverlongOnesCannotBeRead) {
    std::string cipher("\x00\x9f\xff\x10", 4);
    RegistryValue card(std::string(), "cardnum");
    card.Write(cipher.data(), static_cast<uint32_t>(cipher.size()), platform::RegistryDb::kBinary);
    char buffer[kRegistryBufferSize];
    uint32_t size = sizeof buffer, type = 0;
    card.Read(buffer, size, type);
    EXPECT_EQ(std::string(buffer, size), cipher);
    EXPECT_EQ(type, platform::RegistryDb::kBinary);

    std::string big(300, 'b');
    card.Write(big.data(), 300, platform::RegistryDb::kString);
    size = sizeof buffer;
    EXPECT_THROW(card.Read(buffer, size, type), CRegistryEGet);
    EXPECT_THROW(RegistryString("cardnum").Get(), CRegistryEGet);
    // Too long for the read buffer counts as absent for a default.
    EXPECT_EQ(RegistryString("cardnum", "short").Get(), "short");
}

TEST_F(RegistryTest, FileIsPrivateAndInspectableWithPlainSql) {
    SetFlushMode(1);  // durable writes go through the same path
    RegistryString("email", "user@example.com");
    RegistryNumber("delete confirmation", 1);
    struct stat st {};
    ASSERT_EQ(::stat(Path().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat((Path() + "-wal").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open_v2(Path().c_str(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    std::vector<std::string> rows;
    auto collect = [](void* out, int n, char** v, char**) {
        std::string row;
        for (int i = 0; i < n; ++i) row += std::string(i ? "|" : "") + (v[i] ? v[i] : "NULL");
        static_cast<std::vector<std::string>*>(out)->push_back(row);
        return 0;
    };
    ASSERT_EQ(sqlite3_exec(db, "SELECT key, value, type, data FROM registry_view ORDER BY value",
                           collect, &rows, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    EXPECT_EQ(
        rows,
        (std::vector<std::string>{
            "HKEY_LOCAL_MACHINE\\Software\\Tallis\\Internet Ambit\\1.1|delete confirmation|4|1",
            "HKEY_LOCAL_MACHINE\\Software\\Tallis\\Internet Ambit\\1.1|email|1|user@example.com"}));
}

TEST_F(RegistryTest, AFileThatIsNoDatabaseIsLeftAloneAndReported) {
    { std::ofstream(Path()) << "these are not settings\n"; }
    EXPECT_THROW(RegistryString("email", "x"), CRegistryECreate);
    EXPECT_NE(RegistryLastError().find(Path()), std::string::npos);
    EXPECT_EQ(Dir().Read("registry.sqlite3"), "these are not settings\n");
}

// A full disk fails the write with CRegistryESet and loses nothing that was
// stored before; once there is room again, writing works.
TEST_F(RegistryTest, FullDiskFailsTheWriteAndKeepsTheFileUsable) {
    RegistryString("name", "Ada");
    std::string filler(200, 'f');
    testsupport::FileSizeLimit full(64 * 1024);
    bool failed = false;
    for (int i = 0; i < 2000 && !failed; ++i) {
        try {
            RegistryString("filler" + std::to_string(i)).Set(filler);
        } catch (const CRegistryESet&) {
            failed = true;
        }
    }
    full.Lift();
    EXPECT_TRUE(failed);
    EXPECT_FALSE(RegistryLastError().empty());
    EXPECT_EQ(RegistryString("name").Get(), "Ada");
    RegistryString("tel").Set("555-0100");
    platform::RegistryDb::CloseShared();
    EXPECT_EQ(RegistryString("tel").Get(), "555-0100");
    EXPECT_EQ(RegistryString("filler0").Get(), filler);
}

}  // namespace
