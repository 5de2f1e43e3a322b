// Fetches data files for the catalog over FTP: anonymous login as "ftp"
// with the user's e-mail address as password, one binary RETR into the
// local file. Requests to the built-in map server go to the map server of
// the user's settings when one is filled in, the first data file to the
// settings' path and folder files beside it, so "Update Map File",
// activation of a .amb item and the first start all follow the Options
// dialog. Errors are shown as the FTP client describes them.
#pragma once

#include <functional>

#include "catalog/catalog_services.h"
#include "session/ambit_settings.h"

class FtpClient;

namespace session {

class FtpDataFetcher : public catalog::DataFileFetcher {
public:
    // `settings` is read at every fetch; it must outlive the fetcher.
    explicit FtpDataFetcher(const AmbitSettings& settings) : settings_(settings) {}

    // One fetch at a time; a second one asked for while the first waits
    // on the network is refused with a message.
    bool Fetch(const std::string& host, const std::string& remotePath,
               const std::string& localPath) override;

    // Whether a fetch is waiting on the network (further down the stack).
    bool Running() const { return running_; }
    // Ends the running fetch as soon as it can be ended: at once during the
    // transfer, after the log-in otherwise. Nothing is read from it.
    void Abort();
    // Called whenever a fetch has ended, however it ended.
    void SetOnFinished(std::function<void()> f) { onFinished_ = std::move(f); }
    // Called with true when a fetch starts waiting on the network and with
    // false when it stops, before any message: the window shows a wait
    // cursor meanwhile.
    void SetOnBusy(std::function<void(bool)> f) { onBusy_ = std::move(f); }

    // Where a request really goes (see above).
    void Resolve(const std::string& host, const std::string& remotePath, std::string* realHost,
                 std::string* realPath) const;

private:
    const AmbitSettings& settings_;
    FtpClient* active_ = nullptr;
    bool running_ = false;
    bool abortRequested_ = false;
    std::function<void()> onFinished_;
    std::function<void(bool)> onBusy_;
};

}  // namespace session
