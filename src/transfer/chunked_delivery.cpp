// Each chunk is synced before the record counts it, so the record never
// claims bytes that a crash could still take away. The chunk files are
// reached by absolute path only (ResumeRecords), whatever the current
// directory is.
#include "transfer/chunked_delivery.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "net/async_socket.h"
#include "platform/file_io.h"
#include "platform/string_printf.h"
#include "purchase/resume_records.h"

namespace transfer {
namespace {

using purchase::ResumeRecords;

// The socket layer delivers one byte fewer than asked; asking for this
// reads at most 20479 bytes at a time.
constexpr std::uint32_t kReadRequest = 20480;
constexpr std::uint32_t kCopyBlock = 20480;

// Closes a descriptor on every way out.
struct Descriptor {
    explicit Descriptor(int fd) : fd(fd) {}
    ~Descriptor() {
        if (fd >= 0) ::close(fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    // Closes now and tells whether everything written reached the disk.
    bool Finish() {
        bool ok = platform::Sync(fd, platform::SyncScope::kFile) == 0;
        ok = ::close(fd) == 0 && ok;
        fd = -1;
        return ok;
    }
    int fd;
};

}  // namespace

int ChunkedDelivery::Receive(AsyncSocket& request, AsyncSocket& data,
                             const std::function<void(std::int64_t)>& onTotal) {
    const std::uint32_t total = request.ReadLong();
    if (request.IsClosed()) return kDataClosed;  // aborted meanwhile
    onTotal(total);
    std::uint32_t done = ResumeRecords::Downloaded(transaction_);
    std::uint32_t index = ResumeRecords::ChunkIndex(done);
    if (!ResumeRecords::CheckSize(transaction_, total)) {
        ResumeRecords::Delete(transaction_);
        return kSizeMismatch;
    }
    request.WriteLong(done);
    char answer[2] = {};
    // A connection that ended reads as an empty answer, which is no consent.
    if (request.Read(answer, sizeof answer) == 0) return kDataClosed;
    if (answer[0] != 0) {
        ResumeRecords::Delete(transaction_);
        return kContinuationRefused;
    }

    std::vector<char> buffer(kReadRequest);
    while (done < total) {
        Descriptor chunk(ResumeRecords::OpenChunk(transaction_, index, true));
        // A chunk left over from a cut-off run may hold more than this one.
        if (chunk.fd < 0 || ::ftruncate(chunk.fd, 0) != 0) return kChunkFileFailed;
        std::uint32_t inChunk = 0;
        while (inChunk < ResumeRecords::kChunkSize && done + inChunk < total) {
            const std::uint32_t ask = std::min({ResumeRecords::kChunkSize + 1 - inChunk,
                                                kReadRequest, total - done - inChunk + 1});
            const int got = data.Read(buffer.data(), static_cast<int>(ask));
            if (got <= 0) return kDataClosed;
            if (platform::WriteAll(chunk.fd, buffer.data(), static_cast<std::size_t>(got)) != 0)
                return kChunkFileFailed;
            inChunk += static_cast<std::uint32_t>(got);
            bytesDone_ = std::int64_t{done} + inChunk;
        }
        if (!chunk.Finish()) return kChunkFileFailed;
        done += inChunk;
        ResumeRecords::SetDownloaded(transaction_, done);
        ++index;
    }
    bytesDone_ = done;
    return kDelivered;
}

int ChunkedDelivery::Rebuild(const std::string& path, const std::function<void(int)>& progress) {
    const std::uint32_t downloaded = ResumeRecords::Downloaded(transaction_);
    Descriptor out(
        ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (out.fd < 0) return kDestinationFailed;
    std::vector<char> buffer(kCopyBlock);
    const std::uint32_t chunks = ResumeRecords::ChunkIndex(downloaded);
    for (std::uint32_t i = 0; i < chunks; ++i) {
        progress(static_cast<int>(std::uint64_t{i} * 100 * ResumeRecords::kChunkSize / downloaded));
        Descriptor in(ResumeRecords::OpenChunk(transaction_, i, false));
        if (in.fd < 0) return kDestinationFailed;
        // Every chunk but the last is full; a short one means lost bytes.
        std::uint32_t left =
            std::min(ResumeRecords::kChunkSize, downloaded - i * ResumeRecords::kChunkSize);
        while (left > 0) {
            const ssize_t got = ::read(in.fd, buffer.data(), std::min(left, kCopyBlock));
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) return kDestinationFailed;
            if (platform::WriteAll(out.fd, buffer.data(), static_cast<std::size_t>(got)) != 0)
                return kDestinationFailed;
            left -= static_cast<std::uint32_t>(got);
        }
    }
    progress(100);
    return out.Finish() ? kDelivered : kDestinationFailed;
}

bool ChunkedDelivery::Stamp(const std::string& path, const std::string& host,
                            std::uint32_t ticket) {
    Descriptor file(::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC));
    if (file.fd < 0) return false;
    const std::string stamp = platform::StringPrintf("%s-%u", host.c_str(), ticket);
    if (platform::WriteAll(file.fd, stamp.data(), stamp.size()) != 0) return false;
    return file.Finish();
}

}  // namespace transfer
