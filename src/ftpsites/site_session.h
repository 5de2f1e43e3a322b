// The live connection of an open FTP site, kept in the site entry's
// SiteClient. Besides the FTP client it holds the site's busy flag: while a
// listing runs, commands re-entering through the event loop must not start
// a second one on the same connection.
//
// A listing waits in nested rounds of the event loop, during which the
// user may close the site or delete it from the catalog, destroying this
// object. The client and the flags are therefore shared with the listing
// in progress, and destroying the session ends that listing's wait.
#pragma once

#include <memory>

#include "catalog/c_entry.h"

class FtpClient;

namespace ftpsites {

class SiteSession : public catalog::SiteConnection {
public:
    // What a running listing keeps hold of.
    struct State {
        std::shared_ptr<FtpClient> client;  // null once closed
        bool busy = false;                  // a listing runs on the client
        bool closed = false;                // closed or destroyed: nothing more to send
    };

    explicit SiteSession(std::shared_ptr<FtpClient> client);
    ~SiteSession() override;
    SiteSession(const SiteSession&) = delete;
    SiteSession& operator=(const SiteSession&) = delete;

    std::shared_ptr<State> Shared() const { return state_; }
    bool Busy() const { return state_->busy; }
    bool Closed() const { return state_->closed; }

    // Ends the session: a listing in progress is aborted at once (its wait
    // returns); an idle connection says QUIT. Errors of a connection that
    // is already gone are of no interest to someone closing it.
    void Close();

    // The session of a site entry, or null when it has none (never opened).
    static SiteSession* Of(catalog::CEntry& site);
    static const SiteSession* Of(const catalog::CEntry& site);

private:
    std::shared_ptr<State> state_;
};

}  // namespace ftpsites
