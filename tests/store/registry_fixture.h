// Points the settings database at a fresh file for one test and sets the
// application key as both programs do at start-up.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>

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

private:
    testsupport::TempDir dir_;
    std::string path_;
};
