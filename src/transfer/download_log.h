// The download log that ambit's Transfer Log dialog shows: one string list
// ("ambit.log" in the system directory), one entry per received file. Each
// entry is eleven fields, each followed by "$$":
//   name, host, local path, action ("Exec", "None", "UnZip", "View",
//   "OpenW"), local time "%m/%d/%y-%H:%M", size in bytes, open-with program
//   or "NONE", remote path, user, scrambled password, price or "0.00".
// skiff appends under an advisory lock, so two skiffs finishing at the same
// moment both keep their entries.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace transfer {

struct DownloadLogEntry {
    std::string displayName;
    std::string host;
    std::string localPath;
    int actionCode = 1000;
    std::time_t when = 0;
    int64_t totalSize = 0;
    std::string openWith;  // "" is logged as "NONE"
    std::string remotePath;
    std::string user;
    std::string scrambledPassword;
    std::string price;  // "" is logged as "0.00"
};

class DownloadLog {
public:
    // "<system directory>/ambit.log".
    static std::string Path();

    // The entry's text, eleven "$$"-terminated fields.
    static std::string Format(const DownloadLogEntry& entry);

    // Appends the entry to the log at path (created with its directory when
    // missing). False, with a message for the user in *error, when the log
    // is damaged or cannot be written; the log is then unchanged.
    static bool Append(const DownloadLogEntry& entry, const std::string& path, std::string* error);
};

}  // namespace transfer
