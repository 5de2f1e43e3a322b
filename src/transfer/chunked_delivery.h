// The delivery of a bought file: after the exchange has authorised the
// purchase, the delivery server states the file's size on the request
// connection, learns the offset to continue from, and sends the rest over
// the data connection. The bytes go into the record's 64 KiB chunk files,
// and the record is advanced after each whole chunk, so a transfer cut off
// at any moment resumes from the last chunk that is safely on disk. Once
// all chunks are there, they are joined into the destination file.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

class AsyncSocket;

namespace transfer {

class ChunkedDelivery {
public:
    // The local results, as the purchase flow's messages know them.
    enum Result : int {
        kDelivered = 0,
        kSizeMismatch = 200,         // the record was for a file of another size
        kContinuationRefused = 201,  // the server will not go on from our offset
        kChunkFileFailed = 202,
        kDestinationFailed = 203,
        kDataClosed = 206,  // the data connection ended before the file did
    };

    // transaction: the resume record; bytesDone: the dialog's counter.
    ChunkedDelivery(std::uint32_t transaction, std::int64_t& bytesDone)
        : transaction_(transaction), bytesDone_(bytesDone) {}

    // Receives the file. onTotal is told the size as soon as it is known.
    // A size mismatch and a refused continuation delete the record; every
    // other failure leaves it for a resume. Throws CWinsockErr for a failure
    // of the request connection.
    int Receive(AsyncSocket& request, AsyncSocket& data,
                const std::function<void(std::int64_t)>& onTotal);

    // Joins the chunks, in order, into `path` (created or emptied). progress
    // is told the percentage before each chunk. kDestinationFailed when a
    // chunk is missing or short or the file cannot be written; the chunks
    // and the record are left alone either way.
    int Rebuild(const std::string& path, const std::function<void(int)>& progress);

    // Appends "host-ticket" to the end of the file, which marks whose
    // purchase it is. False when the file cannot be written.
    static bool Stamp(const std::string& path, const std::string& host, std::uint32_t ticket);

private:
    std::uint32_t transaction_;
    std::int64_t& bytesDone_;
};

}  // namespace transfer
