// Telling the user that a download has finished while they look at another
// window: a desktop notification through the freedesktop notification
// service on the session bus. Without a session bus or without the
// service nothing happens; the transfer never depends on it.
#pragma once

#include <string>

namespace transfer {

class DesktopNotification {
public:
    // The notification's texts; the body is sent as plain text (markup
    // characters escaped, since file names come from servers).
    static bool Send(const std::string& summary, const std::string& body);
};

}  // namespace transfer
