// Replacing a file so that a crash or a full disk never leaves it half
// written: the new content goes to a temporary file in the same directory,
// is synced, and is renamed over the old file only when all of it is there.
// Until Commit() succeeds the old file is untouched.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>

namespace platform {

class AtomicFileWriter {
public:
    // mode: permission bits of the new file (before the umask for 0644-style
    // modes; 0600 is kept as is for private files).
    explicit AtomicFileWriter(std::string path, mode_t mode = 0644);
    ~AtomicFileWriter();  // discards the temporary file unless committed

    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // Creates the temporary file. False (with Error()) if that fails.
    bool Open();
    // Buffered; a failure is remembered and reported by Commit().
    void Write(std::string_view data);
    // Flushes, syncs, closes and renames over the target. False on any
    // failure so far, in which case the target is unchanged.
    bool Commit();
    // Drops the temporary file; the target stays as it was.
    void Discard();

    const std::string& Error() const { return error_; }
    const std::string& Path() const { return path_; }

private:
    bool Flush();
    void Fail(const std::string& what, int err);

    std::string path_;
    std::string tempPath_;
    mode_t mode_;
    int fd_ = -1;
    std::string buffer_;
    std::string error_;
    bool failed_ = false;
};

// Writes the whole content atomically. On failure returns false and, if
// error is given, stores a message naming the file and the reason.
bool WriteFileAtomically(const std::string& path, std::string_view content,
                         std::string* error = nullptr, mode_t mode = 0644);

// Reads a whole file. False if it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& content);

}  // namespace platform
