// Closing must never throw into a command handler or a destructor: the
// socket layer reports a dead connection by exception, which is dropped
// here because the connection is being given up anyway.
#include "ftpsites/site_session.h"

#include "net/ftp_client.h"

namespace ftpsites {

SiteSession::SiteSession(std::shared_ptr<FtpClient> client) : state_(std::make_shared<State>()) {
    state_->client = std::move(client);
}

SiteSession::~SiteSession() {
    // No QUIT here: it would wait for a reply inside a destructor. Abort
    // closes the connection and lets a waiting listing return.
    if (!state_->closed && state_->client) state_->client->Abort();
    state_->closed = true;
    state_->client.reset();
}

void SiteSession::Close() {
    if (state_->closed) return;
    state_->closed = true;
    // QUIT waits for its reply; if the site is deleted meanwhile, this
    // object goes, but the client must outlive the call.
    std::shared_ptr<FtpClient> client = std::move(state_->client);
    if (!client) return;
    // A closed client is let go at once (a running listing keeps its own
    // reference until it returns): its socket number is free for the next
    // connection, and a late destructor must not disturb that one.
    if (state_->busy) {
        client->Abort();
        return;
    }
    try {
        client->Quit();
    } catch (const CWinsockErr&) {
        int code = 0;
        std::string context, text;
        FtpClient::GetErrorInfo(code, context, text);  // clears the error state
    }
}

SiteSession* SiteSession::Of(catalog::CEntry& site) {
    return dynamic_cast<SiteSession*>(site.SiteClient.get());
}

const SiteSession* SiteSession::Of(const catalog::CEntry& site) {
    return dynamic_cast<const SiteSession*>(site.SiteClient.get());
}

}  // namespace ftpsites
