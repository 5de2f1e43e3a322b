// Replaces a set of files in one directory all together or not at all.
// Each file is written to a temporary file beside its target; Commit()
// makes every one durable with a single file-system sync and only then
// renames them over their targets. A catalog of thousands of folder files
// thus costs one sync instead of one per file, and a failure anywhere
// (a full disk, an unwritable directory) leaves every old file as it was.
//
// Creating, writing and closing the temporary files happens on a writer
// thread, in the order the caller gave, so the caller can go on producing
// the next file's text meanwhile: on a large catalog that kernel work is as
// large as producing the text. What is queued for it is bounded.
#pragma once

#include <sys/types.h>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace catalog {

class FileBatch {
public:
    explicit FileBatch(std::string directory) : directory_(std::move(directory)) {}
    ~FileBatch();  // removes temporary files that were not committed
    FileBatch(const FileBatch&) = delete;
    FileBatch& operator=(const FileBatch&) = delete;

    // Starts the next file, `name` inside the directory. Always true: a
    // failure to create its temporary file shows at End() or Commit().
    bool Begin(const std::string& name);
    // Buffered; a failure is remembered and reported by End() or Commit().
    void Write(std::string_view data);
    // Finishes the current file. False when a failure is known by now.
    bool End();
    // Syncs and renames every finished file. False, changing nothing, when
    // any file of the batch failed or the sync fails.
    bool Commit();

    // The first failure, naming the file and the reason. Stable once End()
    // or Commit() has returned false.
    const std::string& Error() const { return error_; }

private:
    struct Staged {
        std::string target, temp;
    };
    struct Step {
        enum class Kind { kBegin, kWrite, kEnd } kind;
        std::string data;  // the file name for kBegin, bytes for kWrite
    };

    // Caller's side.
    void Post(Step step);
    void PostBuffer();
    bool Failed();
    void StopWriter();
    // Writer's side (or the caller's once the writer has stopped).
    void Run();
    void Perform(Step& step);
    void Open(const std::string& name);
    void WriteOut(const std::string& data);
    void Close();
    void Fail(const std::string& what, const std::string& path, int err);
    void Discard();

    std::string directory_;
    std::string buffer_;
    bool open_ = false;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<Step> queue_;
    std::vector<std::string> spare_;  // written buffers, reused
    size_t queuedBytes_ = 0;
    bool stopping_ = false;
    bool anyFailed_ = false;
    bool inline_ = false;
    std::string error_;
    std::thread writer_;

    // The writer's own until it has stopped.
    std::vector<Staged> staged_;
    Staged current_;
    int fd_ = -1;
    bool currentFailed_ = false;
};

}  // namespace catalog
