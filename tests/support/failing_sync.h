// Makes every durable-write sync fail with EIO while alive and counts the
// attempts, so a test can check that a writer gives up instead of renaming
// data that never reached the disk over the old file.
#pragma once

#include <cerrno>

#include "platform/file_io.h"

namespace testsupport {

class FailingSync {
public:
    FailingSync() : previous_(platform::SetSyncFunction(&Fail)) { Calls() = 0; }
    ~FailingSync() { platform::SetSyncFunction(previous_); }
    FailingSync(const FailingSync&) = delete;
    FailingSync& operator=(const FailingSync&) = delete;

    static int& Calls() {
        static int calls = 0;
        return calls;
    }

private:
    static int Fail(int, platform::SyncScope) {
        ++Calls();
        return EIO;
    }
    platform::SyncFunction previous_;
};

}  // namespace testsupport
