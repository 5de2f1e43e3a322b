// Points the settings database at a fresh file for one test and sets the
// application key as both programs do at start-up.
#pragma once

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/registry_db.h"
#include "store/registry_application.h"
#include "temp_dir.h"

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = dir_.File("registry.sqlite3");
        ::setenv("AMBIT_REGISTRY", path_.c_str(), 1);
        platform::RegistryDb::CloseShared();
        store::SetCompanyKey(store::kDefaultCompanyKey);
        store::SetApplication(store::kApplicationName, store::kApplicationVersion);
        store::SetFlushMode(0);
    }
    void TearDown() override {
        platform::RegistryDb::CloseShared();
        ::unsetenv("AMBIT_REGISTRY");
        store::SetApplication(store::kUndefinedApplication, "");
        store::SetFlushMode(0);
    }
    const std::string& Path() const { return path_; }
    const testsupport::TempDir& Dir() const { return dir_; }

    // The rows of a query on the settings file, fields joined by "|", read
    // directly as any SQLite tool would; a failing query fails the test.
    std::vector<std::string> SqlRows(const char* sql) const {
        std::vector<std::string> rows;
        sqlite3* db = nullptr;
        if (sqlite3_open_v2(path_.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
            ADD_FAILURE() << "cannot open " << path_;
        auto collect = [](void* out, int n, char** v, char**) {
            std::string row;
            for (int i = 0; i < n; ++i) row += std::string(i ? "|" : "") + (v[i] ? v[i] : "NULL");
            static_cast<std::vector<std::string>*>(out)->push_back(row);
            return 0;
        };
        if (sqlite3_exec(db, sql, collect, &rows, nullptr) != SQLITE_OK)
            ADD_FAILURE() << sqlite3_errmsg(db) << " in " << sql;
        sqlite3_close(db);
        return rows;
    }

private:
    testsupport::TempDir dir_;
    std::string path_;
};
