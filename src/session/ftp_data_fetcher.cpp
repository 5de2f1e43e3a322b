#include "session/ftp_data_fetcher.h"

#include <cstdint>

#include "catalog/catalog.h"
#include "net/ftp_client.h"
#include "platform/prompt.h"

namespace session {

void FtpDataFetcher::Resolve(const std::string& host, const std::string& remotePath,
                             std::string* realHost, std::string* realPath) const {
    *realHost = host;
    *realPath = remotePath;
    if (host != catalog::MapServerAddress()) return;
    *realHost = settings_.MapServer();
    const std::string mapPath = settings_.MapPath();
    const std::string builtInDir = std::string(catalog::kMapServerSitePath) + "/";
    if (remotePath == catalog::kFirstDataFilePath) {
        *realPath = mapPath;
    } else if (remotePath.compare(0, builtInDir.size(), builtInDir) == 0) {
        // Folder files live beside the first data file, wherever that is.
        size_t slash = mapPath.rfind('/');
        std::string dir = slash == std::string::npos ? std::string() : mapPath.substr(0, slash);
        *realPath = dir + "/" + remotePath.substr(builtInDir.size());
    }
}

bool FtpDataFetcher::Fetch(const std::string& host, const std::string& remotePath,
                           const std::string& localPath) {
    // The wait below serves the window's events, so a command can ask for
    // a second fetch meanwhile; both would write the same local file.
    if (running_) {
        platform::CurrentPrompt().Message(
            "A data file is being fetched already. Try again when it has arrived.");
        return false;
    }
    std::string realHost, realPath;
    Resolve(host, remotePath, &realHost, &realPath);
    running_ = true;
    abortRequested_ = false;
    if (onBusy_) onBusy_(true);
    bool received = false;
    std::string failure;
    try {
        FtpClient client(realHost, "ftp", settings_.email);
        if (!abortRequested_) {
            active_ = &client;
            std::int64_t bytes = 0;
            received = client.Get(realPath, localPath, bytes, true);
            active_ = nullptr;
        }
        if (received) {
            // The file is complete; a server that fumbles the goodbye does
            // not make it less so.
            try {
                client.Quit();
            } catch (const CWinsockErr&) {
                int code = 0;
                std::string context, text;
                FtpClient::GetErrorInfo(code, context, text);
            }
        }
    } catch (const CWinsockErr&) {
        active_ = nullptr;
        int code = 0;
        std::string context, text;
        FtpClient::GetErrorInfo(code, context, text);
        failure = context + "\n" + text;
    }
    running_ = false;
    if (onBusy_) onBusy_(false);
    // Shown last: a message box runs an event loop of its own.
    if (!failure.empty() && !abortRequested_) platform::CurrentPrompt().Message(failure);
    if (onFinished_) onFinished_();
    return received && !abortRequested_;
}

void FtpDataFetcher::Abort() {
    if (!running_) return;
    abortRequested_ = true;
    if (active_) active_->Abort();
}

}  // namespace session
