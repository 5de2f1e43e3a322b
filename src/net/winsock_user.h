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

class WinsockUser {
public:
    // Kinds of handler table entries.
    enum HandlerKind { kSocketHandler = 0, kLookupHandler = 1 };
    static constexpr int kMaxHandlers = 10;

    WinsockUser();
    WinsockUser(const WinsockUser& other);
    WinsockUser& operator=(const WinsockUser&) = default;
    virtual ~WinsockUser();

    // Called for a notification routed to this object. lParam carries the
    // event in its low word and the error code in its high word.
    virtual void OnNotify(unsigned message, std::intptr_t wParam, std::int32_t lParam);

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
    static void RemoveHandler(std::intptr_t handle, HandlerKind kind);
    static int HandlerCount();
    static int UserCount();

    static std::int32_t MakeLParam(int event, int error) {
        return static_cast<std::int32_t>((static_cast<std::uint32_t>(error) << 16) |
                                         (static_cast<std::uint32_t>(event) & 0xffff));
    }
};
