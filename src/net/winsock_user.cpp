// The handler table is a fixed array of ten entries kept in insertion order,
// as the layer has always had; the notification router below is the
// one place that consults it.
#include "net/winsock_user.h"

#include <netdb.h>

#include <cerrno>
#include <cstdio>

#include "platform/qt/event_pump.h"
#include "platform/qt/network_events.h"

namespace {

struct HandlerEntry {
    std::intptr_t handle;
    int kind;
    WinsockUser* object;
};

struct LayerState {
    int users = 0;
    int lastError = 0;
    std::string lastOperation;
    HandlerEntry table[WinsockUser::kMaxHandlers]{};
    int entries = 0;
    std::exception_ptr pending;  // raised by a handler, not yet thrown to a waiter
    bool procedureInstalled = false;
};

LayerState& State() {
    static LayerState state;
    return state;
}

// Routes a notification to the object registered for
// its handle. A handler's failure must not unwind through Qt's event
// dispatch, so it is kept and thrown by PumpOneMessage once the round is over.
void RouteNotification(unsigned message, std::intptr_t handle, int event, int error) {
    int kind;
    int code;
    if (message == platform::kSocketMessage) {
        kind = WinsockUser::kSocketHandler;
        code = error ? WinsockUser::FromErrno(error) : 0;
    } else if (message == platform::kLookupMessage) {
        kind = WinsockUser::kLookupHandler;
        code = error ? WinsockUser::FromLookupError(error) : 0;
    } else {
        return;
    }
    LayerState& s = State();
    for (int i = 0; i < s.entries; ++i) {
        if (s.table[i].handle == handle && s.table[i].kind == kind) {
            try {
                s.table[i].object->OnNotify(message, handle, Notification{event, code});
            } catch (...) {
                if (!s.pending) s.pending = std::current_exception();
            }
            return;
        }
    }
}

}  // namespace

WinsockUser::WinsockUser() {
    LayerState& s = State();
    if (!s.procedureInstalled) {
        platform::NetworkEvents* events = platform::NetworkEvents::Instance();
        if (!events) Fail("Window creation", -6);
        events->SetProcedure(RouteNotification);
        s.procedureInstalled = true;
    }
    ++s.users;
}

WinsockUser::WinsockUser(const WinsockUser&) : WinsockUser() {}

WinsockUser::~WinsockUser() { --State().users; }

void WinsockUser::OnNotify(unsigned, std::intptr_t, Notification) {}

int WinsockUser::LastError() { return State().lastError; }
const std::string& WinsockUser::LastOperation() { return State().lastOperation; }
int WinsockUser::UserCount() { return State().users; }
int WinsockUser::HandlerCount() { return State().entries; }

void WinsockUser::Record(const std::string& operation, int error) {
    State().lastOperation = operation;
    State().lastError = error;
}

void WinsockUser::Fail(const std::string& operation, int error) {
    Record(operation, error);
    throw CWinsockErr();
}

std::string WinsockUser::ErrorText() { return ErrorText(State().lastError); }

std::string WinsockUser::ErrorText(int code) {
    switch (code) {
        case 10004:
            return "Operation canceled";
        case 10013:
            return "Bad use of broadcast address";
        case 10014:
            return "Incorrect namelength/bad buffer";
        case 10022:
            return "version not supported/socket already connected/socket not bound";
        case 10024:
            return "No more file descriptors";
        case 10035:
            return "Would block";
        case 10036:
            return "Net in use";
        case 10038:
            return "Not a socket";
        case 10039:
            return "Destination address required";
        case 10040:
            return "Message(datagram) too large";
        case 10041:
            return "Bad protocol";
        case 10043:
            return "Protocol not supported";
        case 10044:
            return "Socket type not supported";
        case 10045:
            return "Out of band data not supported";
        case 10047:
            return "Address family not supported";
        case 10048:
            return "Address already in use";
        case 10049:
            return "Address not available";
        case 10050:
            return "Network down";
        case 10051:
            return "Network unreachable";
        case 10052:
            return "reset connection";
        case 10053:
            return "Connection aborted";
        case 10054:
            return "Connection reset";
        case 10055:
            return "No more buffers";
        case 10056:
            return "Socket already connected";
        case 10057:
            return "Socket not connected";
        case 10058:
            return "Socket already shutdown";
        case 10060:
            return "Timed out";
        case 10061:
            return "Connection refused";
        case 10064:
            return "Host is down";
        case 10065:
            return "Host is unreachable";
        case 10091:
            return "Network not ready";
        case 10092:
            return "version not supported";
        case 10093:
            return "Not initialized";
        case 11001:
            return "Host not found";
        case 11002:
            return "Host not found or down";
        case 11003:
            return "Non recoverable error";
        case 11004:
            return "No data record";
        case -1:
            return "Couldn't create hidden window class";
        case -2:
            return "Too many handlers";
        case -3:
            return "Unknown message";
        case -4:
            return "Unknown message in select handler";
        case -5:
            return "Couldn't write all information";
        case -6:
            return "Couldn't create hidden window";
        default: {
            char text[32];
            std::snprintf(text, sizeof text, "Unknown: %d", code);
            return text;
        }
    }
}

int WinsockUser::FromErrno(int error) {
    switch (error) {
        case EINTR:
            return 10004;
        case EACCES:
            return 10013;
        case EFAULT:
            return 10014;
        case EINVAL:
            return 10022;
        case EMFILE:
        case ENFILE:
            return 10024;
        case EAGAIN:
            return 10035;
        case EINPROGRESS:
        case EALREADY:
            return 10036;
        case ENOTSOCK:
            return 10038;
        case EDESTADDRREQ:
            return 10039;
        case EMSGSIZE:
            return 10040;
        case EPROTOTYPE:
            return 10041;
        case EPROTONOSUPPORT:
            return 10043;
        case ESOCKTNOSUPPORT:
            return 10044;
        case EOPNOTSUPP:
            return 10045;
        case EAFNOSUPPORT:
            return 10047;
        case EADDRINUSE:
            return 10048;
        case EADDRNOTAVAIL:
            return 10049;
        case ENETDOWN:
            return 10050;
        case ENETUNREACH:
            return 10051;
        case ENETRESET:
            return 10052;
        case ECONNABORTED:
            return 10053;
        case ECONNRESET:
        case EPIPE:
            return 10054;
        case ENOBUFS:
        case ENOMEM:
            return 10055;
        case EISCONN:
            return 10056;
        case ENOTCONN:
            return 10057;
        case ESHUTDOWN:
            return 10058;
        case ETIMEDOUT:
            return 10060;
        case ECONNREFUSED:
            return 10061;
        case EHOSTDOWN:
            return 10064;
        case EHOSTUNREACH:
            return 10065;
        default:
            return error;
    }
}

int WinsockUser::FromLookupError(int error) {
    switch (error) {
        case EAI_NONAME:
            return 11001;
        case EAI_AGAIN:
            return 11002;
        case EAI_NODATA:
        case EAI_ADDRFAMILY:
            return 11004;
        case EAI_MEMORY:
            return 10055;
        default:
            return 11003;
    }
}

void WinsockUser::PumpOneMessage() {
    platform::PumpOneMessage();
    LayerState& s = State();
    if (s.pending) {
        std::exception_ptr e = s.pending;
        s.pending = nullptr;
        std::rethrow_exception(e);
    }
}

void WinsockUser::AddHandler(std::intptr_t handle, WinsockUser* object, HandlerKind kind) {
    LayerState& s = State();
    // A descriptor number is reused by the kernel as soon as it is closed, so
    // an entry for the same number belongs to whoever registers it last.
    for (int i = 0; i < s.entries; ++i) {
        if (s.table[i].handle == handle && s.table[i].kind == kind) {
            s.table[i].object = object;
            return;
        }
    }
    if (s.entries == kMaxHandlers) Fail("Add Handler (too many handlers)", -2);
    s.table[s.entries++] = HandlerEntry{handle, kind, object};
}

void WinsockUser::RemoveHandler(std::intptr_t handle, HandlerKind kind, const WinsockUser* object) {
    LayerState& s = State();
    for (int i = 0; i < s.entries; ++i) {
        // Only the owner's own entry: the number may already be another socket's.
        if (s.table[i].handle == handle && s.table[i].kind == kind && s.table[i].object == object) {
            for (int j = i + 1; j < s.entries; ++j) s.table[j - 1] = s.table[j];
            --s.entries;
            return;
        }
    }
}
