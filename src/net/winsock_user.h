// The base of every object of the socket layer, and the layer's process-wide
// state: the count of live users, the last failed operation with its error
// code, the table that routes notifications to the objects that asked for
// them, and the error texts. Error codes are the Windows Sockets numbers
// (10061 "Connection refused", 11001 "Host not found", ...) so that codes and
// texts read the same in every message; errno values are translated when they
// are recorded.
#pragma once

#include <cstdint>
#include <exception>
#include <string>

// Every failure of the socket layer. It carries nothing: the details are in
// WinsockUser::LastOperation() and WinsockUser::LastError().
class CWinsockErr {
public:
    virtual ~CWinsockErr() = default;
};

// What a notification says about a handle: the event (one event bit, 0 for a
// lookup reply) and its Windows Sockets error code (0 for none).
struct Notification {
    int event = 0;
    int error = 0;
};

class WinsockUser {
public:
    // Kinds of handler table entries.
    enum HandlerKind { kSocketHandler = 0, kLookupHandler = 1 };
    static constexpr int kMaxHandlers = 10;

    WinsockUser();
    WinsockUser(const WinsockUser& other);
    WinsockUser& operator=(const WinsockUser&) = default;
    virtual ~WinsockUser();

    // Called for a notification routed to this object; message is
    // platform::kSocketMessage or kLookupMessage, handle the socket or task.
    virtual void OnNotify(unsigned message, std::intptr_t handle, Notification note);

    // The text for the last error (or for a given code).
    static std::string ErrorText();
    static std::string ErrorText(int code);
    static int LastError();
    static const std::string& LastOperation();
    // Records the operation and the error and throws CWinsockErr.
    [[noreturn]] static void Fail(const std::string& operation, int error);
    static void Record(const std::string& operation, int error);
    // The Windows Sockets code for an errno value (unknown values pass through).
    static int FromErrno(int error);
    // The Windows Sockets code for a getaddrinfo/getnameinfo failure.
    static int FromLookupError(int error);

    // One round of the event loop; a failure raised by a notification handler
    // during that round is thrown from here, to the call that was waiting.
    static void PumpOneMessage();

    // The handler table. Adding a (handle, kind) that is already there does
    // nothing; an eleventh entry fails with error -2.
    static void AddHandler(std::intptr_t handle, WinsockUser* object, HandlerKind kind);
    static void RemoveHandler(std::intptr_t handle, HandlerKind kind, const WinsockUser* object);
    static int HandlerCount();
    static int UserCount();
};
