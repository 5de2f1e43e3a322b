// The local side of a transfer, checked before anything goes over the
// network. A download is received into "<name>.part" beside its target and
// renamed into place only when it is complete, so a failed or aborted
// transfer never destroys the copy already there. Only regular files are
// ever written or sent: a link, a FIFO or a device planted at the path is
// refused, since writing through it would land elsewhere or block forever.
#pragma once

#include <string>

namespace transfer {

class LocalFile {
public:
    // Where a download to `target` is received until it is complete.
    static std::string PartPath(const std::string& target);

    // Empty when a download may go to `target` (and its part file);
    // otherwise the message for the user.
    static std::string DownloadRefusal(const std::string& target);

    // Empty when `source` is a regular file this process can read.
    static std::string UploadRefusal(const std::string& source);

    // Moves the complete part file over the target. On failure puts the
    // message in *error and leaves both files as they were.
    static bool Commit(const std::string& target, std::string* error);
};

}  // namespace transfer
