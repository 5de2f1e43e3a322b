#include "skiff_environment.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QTimer>
#include <cerrno>
#include <cstdlib>
#include <random>

#include "platform/registry_db.h"
#include "platform/string_array_file.h"
#include "store/scramble.h"
#include "transfer/download_log.h"

namespace skifftest {

// Splits a "$$"-terminated record into its fields.
static std::vector<std::string> Fields(const std::string& record) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t at = record.find("$$"); at != std::string::npos; at = record.find("$$", start)) {
        out.push_back(record.substr(start, at - start));
        start = at + 2;
    }
    if (start != record.size()) out.push_back("<unterminated>" + record.substr(start));
    return out;
}

SkiffEnvironment::SkiffEnvironment() {
    SetEnv("AMBIT_WINDIR", home_.File("windows"));
    SetEnv("AMBIT_DATA_DIR", home_.File("data"));
    SetEnv("AMBIT_REGISTRY", home_.File("registry.sqlite3"));
    SetEnv("XDG_CONFIG_HOME", home_.File("config"));
    SetEnv("XDG_CONFIG_DIRS", home_.File("etc"));
    SetEnv("XDG_DATA_HOME", home_.File("share"));
    SetEnv("XDG_DATA_DIRS", home_.File("usr"));
    SetEnv("AMBIT_NET_TIMEOUT", "20");
    platform::RegistryDb::CloseShared();
    previousLauncher_ = platform::SetLauncher(&launcher_);
    scopedPrompt_ = std::make_unique<platform::ScopedPrompt>(&prompt_);
}

SkiffEnvironment::~SkiffEnvironment() {
    dialog_.reset();
    platform::SetLauncher(previousLauncher_);
    platform::RegistryDb::CloseShared();
    for (auto it = savedEnv_.rbegin(); it != savedEnv_.rend(); ++it) {
        if (it->second)
            setenv(it->first.c_str(), it->second->c_str(), 1);
        else
            unsetenv(it->first.c_str());
    }
}

void SkiffEnvironment::SetEnv(const std::string& name, const std::string& value) {
    const char* old = std::getenv(name.c_str());
    savedEnv_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    setenv(name.c_str(), value.c_str(), 1);
}

int SkiffEnvironment::RunSkiff(const std::string& argument,
                               std::function<void(transfer::TransferDialog&)> whileRunning) {
    dialog_ = std::make_unique<transfer::TransferDialog>();
    dialog_->SetExitFunction([this](int code) { hardExits_.push_back(code); });
    if (auto code = dialog_->Initialize(argument)) return *code;
    QTimer poll;
    if (whileRunning) {
        poll.setInterval(2);
        QObject::connect(&poll, &QTimer::timeout, [&] { whileRunning(*dialog_); });
        poll.start();
    }
    return dialog_->Run();
}

std::string SkiffEnvironment::LogPath() const { return home_.File("windows/system/ambit.log"); }

std::vector<std::vector<std::string>> SkiffEnvironment::LogEntries() const {
    std::vector<std::string> items;
    std::string error;
    auto r = platform::ReadStringArrayFile(LogPath(), items, &error);
    EXPECT_NE(r, platform::StringArrayRead::kFailed) << error;
    std::vector<std::vector<std::string>> out;
    for (const auto& i : items) out.push_back(Fields(i));
    return out;
}

std::string SkiffEnvironment::Argument(const std::string& host, const std::string& remote,
                                       const std::string& user, const std::string& password,
                                       const std::string& local, const std::string& mode,
                                       const std::optional<std::string>& ask) {
    std::string a = host + "$$" + remote + "$$" + user + "$$" + store::Scramble(password) + "$$" +
                    local + "$$" + mode + "$$";
    if (ask) a += *ask + "$$";
    return a;
}

std::string RandomBytes(size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::string s(n, '\0');
    for (auto& c : s) c = static_cast<char>(gen());
    return s;
}

SilentPort::SilentPort() {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        ::listen(fd_, 4) != 0 || ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &len) != 0)
        return;
    port_ = ntohs(a.sin_port);
    ::fcntl(fd_, F_SETFL, O_NONBLOCK);
}

SilentPort::~SilentPort() {
    if (fd_ >= 0) ::close(fd_);
}

bool SilentPort::AnyoneConnected() {
    int c = ::accept(fd_, nullptr, nullptr);
    if (c >= 0) {
        ::close(c);
        return true;
    }
    return errno != EAGAIN && errno != EWOULDBLOCK;
}

}  // namespace skifftest
