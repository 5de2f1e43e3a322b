#include "ui/ftp_data_fetcher.h"

#include <QApplication>
#include <cstdint>

#include "catalog/catalog.h"
#include "net/ftp_client.h"
#include "platform/prompt.h"

namespace ui {

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
    std::string realHost, realPath;
    Resolve(host, remotePath, &realHost, &realPath);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    bool received = false;
    try {
        FtpClient client(realHost, "ftp", settings_.email);
        std::int64_t bytes = 0;
        received = client.Get(realPath, localPath, bytes, true);
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
        int code = 0;
        std::string context, text;
        FtpClient::GetErrorInfo(code, context, text);
        QApplication::restoreOverrideCursor();
        platform::CurrentPrompt().Message(context + "\n" + text);
        return false;
    }
    QApplication::restoreOverrideCursor();
    return received;
}

}  // namespace ui
