// The records of paid transfers that have not finished. A purchased file
// arrives in 64 KiB chunk files; its record in the settings database
// ("incomplete\<number>") says how many bytes the chunks hold, so that an
// interrupted transfer can go on from there. skiff creates, advances and
// deletes records; ambit lists them at start-up and offers to resume them.
// The chunks of record N live in <system directory>/N, always reached by
// absolute path.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>

namespace purchase {

struct ResumeRecord {
    std::uint32_t number = 0;
    std::uint32_t size = 0;        // total bytes; 0 until the server states it
    std::uint32_t downloaded = 0;  // bytes in chunk files, whole chunks
    std::string sourceName;        // remote path on the item's host
    std::string destName;          // full local destination path
    std::string server;            // the item's host
    std::uint32_t priceCents = 0;
    bool salesTax = false;
    std::string itemName;  // as the user saw it
    pid_t pid = 0;         // the skiff that created it

    friend bool operator==(const ResumeRecord&, const ResumeRecord&) = default;
};

class ResumeRecords {
public:
    static constexpr std::uint32_t kChunkSize = 65536;
    // What skiff is called, for the in-progress test.
    static constexpr const char* kTransferProgram = "skiff";

    // Takes the next transaction number from "Trans Num" (absent counts as
    // 0, so the first is 1) in one database transaction. Throws
    // CRegistryEType when "Trans Num" is not a number, CRegistryESet.
    static std::uint32_t NextTransactionNumber();

    // Creates record `number` with size and downloaded 0 and this process's
    // pid, then its chunk folder; seeds PseudoRandom with the time. Throws
    // the registry errors, and CRegistryESet for a text longer than a
    // setting holds (a cut destination path would resume into another file).
    // False when the chunk folder cannot be created.
    static bool Create(std::uint32_t number, const std::string& sourceName,
                       const std::string& destName, const std::string& server,
                       std::uint32_t priceCents, bool salesTax, const std::string& itemName);

    // Stores total when no size is stored yet; whether the stored size is total.
    static bool CheckSize(std::uint32_t number, std::uint32_t total);
    static std::uint32_t Downloaded(std::uint32_t number);
    static void SetDownloaded(std::uint32_t number, std::uint32_t bytes);

    // A file descriptor for chunk `index` (created 0600 for writing, not
    // truncated), or -1.
    static int OpenChunk(std::uint32_t number, std::uint32_t index, bool forWriting);

    // Deletes every file in the record's chunk folder, the folder, then the
    // record. Missing files are no error; a folder that cannot be removed
    // stays. Throws CRegistryEDel.
    static void Delete(std::uint32_t number);

    enum class Found {
        kNone,        // no record at that position
        kInProgress,  // its skiff is still running
        kRecord,
    };
    // The record at `position` (0-based) among the records, read whole.
    // Throws the registry errors for a record that cannot be read, also for
    // a record key whose name is no number.
    static Found Find(std::uint32_t position, ResumeRecord& record);

    // The chunk holding byte `offset`, counting a partly filled chunk as
    // done: ceil(offset / kChunkSize).
    static std::uint32_t ChunkIndex(std::uint64_t offset);
    static std::string ChunkFolder(std::uint32_t number);
    static std::string ChunkPath(std::uint32_t number, std::uint32_t index);
};

}  // namespace purchase
