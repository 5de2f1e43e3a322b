// Files that hold one list of strings: the download log, the transfer record
// and the order file that carries a purchase from ambit to skiff. Both
// programs read and write them, always whole, so they share this one format
// and this one reader and writer.
//
// The format, all integers little-endian:
//   bytes 0..11   class tag, the text "AMBSTRARRAY1"
//   bytes 12..15  count of strings (uint32)
//   then, count times:
//     uint32      length of the string in bytes
//     bytes       the string (no terminator; any byte value allowed)
// Nothing follows the last string. A file that is shorter than it claims,
// longer than it claims, or carries another tag is damaged: it is reported,
// never half read.
//
// Writes go through AtomicFileWriter, so a crash or a full disk leaves the
// old list in place. UpdateStringArrayFile adds an advisory lock around a
// read-modify-write, so two processes appending at once both keep their
// entries.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

namespace platform {

// The largest file the reader accepts; the logs grow by a few hundred bytes
// per transfer, so anything larger is damage, not data.
inline constexpr size_t kMaxStringArrayFileSize = 256u * 1024 * 1024;

// Encodes a list in the format above.
std::string EncodeStringArray(const std::vector<std::string>& items);

// Decodes a whole file's content. False, with a reason in *error, when the
// content is not a complete list in the format above; items is then empty.
bool DecodeStringArray(const std::string& content, std::vector<std::string>& items,
                       std::string* error = nullptr);

enum class StringArrayRead {
    kOk,       // the list was read
    kMissing,  // no such file: callers treat it as an empty list
    kFailed,   // unreadable or damaged; *error says which file and why
};

StringArrayRead ReadStringArrayFile(const std::string& path, std::vector<std::string>& items,
                                    std::string* error = nullptr);

// Replaces the file atomically with the list. False, with *error naming the
// file and the reason, when it could not be written; the old file is then
// unchanged.
bool WriteStringArrayFile(const std::string& path, const std::vector<std::string>& items,
                          std::string* error = nullptr, mode_t mode = 0644);

// Read-modify-write under an exclusive advisory lock on path + ".lock": reads
// the list (a missing file is an empty list), lets change() edit it and
// writes it back. The lock is held across read and write, so concurrent
// updaters never lose each other's changes. A damaged file is not
// overwritten: the update fails and the file stays as it is for inspection.
// change() returning false leaves the file untouched (and is no failure).
bool UpdateStringArrayFile(const std::string& path,
                           const std::function<bool(std::vector<std::string>&)>& change,
                           std::string* error = nullptr, mode_t mode = 0644);

// The common update: append one string at the end.
bool AppendToStringArrayFile(const std::string& path, const std::string& item,
                             std::string* error = nullptr, mode_t mode = 0644);

}  // namespace platform
