// Unpacking a downloaded archive next to itself (the Unzip action of both
// programs). The archive comes from an FTP server we do not control, so every
// entry is checked before it touches the disk: an entry whose name is
// absolute or climbs out with "..", a link that points outside the target,
// and anything that would be written through a link is skipped, and the rest
// is extracted. Nothing is ever written outside the target directory.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct ZipExtractResult {
    // The archive could be opened and read to its end (individual entries
    // may still have been skipped or failed).
    bool archiveRead = false;
    int extracted = 0;                 // files, directories and links written
    std::vector<std::string> skipped;  // entry names refused as unsafe or unsupported
    std::vector<std::string> failed;   // entry names that could not be written
    std::string error;                 // first error met, for the user; "" when none

    bool Complete() const { return archiveRead && skipped.empty() && failed.empty(); }
};

// Extracts every entry of the archive at archivePath into targetDir (which
// must exist). Existing files of the same name are replaced, except the
// archive itself. Regular files keep their permission bits except
// set-user-id, set-group-id and sticky; devices, FIFOs and sockets are
// skipped. Extraction stops with a message once the files written would
// pass maxBytes, by default nine tenths of the free space of targetDir, so
// that an archive that expands without end cannot fill the disk.
ZipExtractResult ExtractZip(const std::string& archivePath, const std::string& targetDir,
                            std::uint64_t maxBytes = 0);

// The verdict on one entry name, exposed for tests: true when the name is
// relative, has no ".." component and is not empty after removing "." and
// empty components. *clean receives the normalised name ("a/b/c").
bool SafeEntryName(const std::string& name, std::string* clean);

// True when a symbolic link stored at entry name `clean` (already safe) with
// target `target` resolves, lexically, to a place inside the target directory.
bool SafeLinkTarget(const std::string& clean, const std::string& target);

}  // namespace platform
