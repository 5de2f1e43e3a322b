// Replaces a set of files in one directory all together or not at all.
// Each file is written to a temporary file beside its target; Commit()
// makes every one durable with a single file-system sync and only then
// renames them over their targets. A catalog of thousands of folder files
// thus costs one sync instead of one per file, and a failure anywhere
// (a full disk, an unwritable directory) leaves every old file as it was.
#pragma once

#include <sys/types.h>

#include <string>
#include <string_view>
#include <vector>

namespace catalog {

class FileBatch {
public:
    explicit FileBatch(std::string directory) : directory_(std::move(directory)) {}
    ~FileBatch();  // removes temporary files that were not committed
    FileBatch(const FileBatch&) = delete;
    FileBatch& operator=(const FileBatch&) = delete;

    // Starts the next file, `name` inside the directory. False (see Error())
    // when its temporary file cannot be created.
    bool Begin(const std::string& name);
    // Buffered; a failure is remembered and reported by End().
    void Write(std::string_view data);
    // Finishes the current file. False on any failure while writing it.
    bool End();
    // Syncs and renames every finished file. False, changing nothing, when
    // any file of the batch failed or the sync fails.
    bool Commit();

    // The first failure, naming the file and the reason.
    const std::string& Error() const { return error_; }

private:
    struct Staged {
        std::string target, temp;
    };
    bool Flush();
    void Fail(const std::string& what, const std::string& path, int err);
    void Discard();

    std::string directory_;
    std::vector<Staged> staged_;
    Staged current_;
    int fd_ = -1;
    std::string buffer_;
    bool currentFailed_ = false;
    bool anyFailed_ = false;
    std::string error_;
};

}  // namespace catalog
