// The two steps every writer of a durable file takes: writing a whole block
// to a descriptor and syncing it before it is renamed into place. They live
// here once so each writer gets the EINTR retry and the short-write loop
// right, and so a test can make the sync fail and see the save abort. Also
// the bounded whole-file read and the creation mask those writers share.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>

namespace platform {

// Reads the whole file into `out` (reusing its memory) when it is a
// regular file of at most `limit` bytes that does not change size while it
// is read; false otherwise, `out` then empty. A FIFO does not block it.
bool ReadRegularFile(const std::string& path, std::size_t limit, std::string& out);

// Writes all size bytes, retrying after EINTR and after short writes.
// Returns 0, or the errno of the write that failed.
int WriteAll(int fd, const void* data, std::size_t size);

enum class SyncScope {
    kFile,        // the file behind fd (fsync)
    kFileSystem,  // the whole file system holding fd (syncfs)
};

// Makes what was written durable. Returns 0, or the errno of the failure.
int Sync(int fd, SyncScope scope);

// Replaces what Sync does (nullptr restores the real sync); returns the
// function that was installed. For tests that need a sync to fail.
using SyncFunction = int (*)(int fd, SyncScope scope);
SyncFunction SetSyncFunction(SyncFunction function);

// The process's file creation mask (reading it means setting it, so it is
// set straight back).
mode_t CurrentUmask();

}  // namespace platform
