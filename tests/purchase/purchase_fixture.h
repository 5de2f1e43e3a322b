// A fresh settings file and a fresh Windows directory (so a fresh system
// directory for the chunks and logs) for one test.
#pragma once

#include <sys/stat.h>

#include <cstdlib>
#include <string>

#include "../store/registry_fixture.h"
#include "platform/paths.h"

class PurchaseTest : public RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        windir_ = Dir().File("windows");
        ::setenv("AMBIT_WINDIR", windir_.c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("AMBIT_WINDIR");
        RegistryTest::TearDown();
    }

    // Permission bits of path, or -1 when it does not exist.
    static int Mode(const std::string& path) {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 0777) : -1;
    }

private:
    std::string windir_;
};
