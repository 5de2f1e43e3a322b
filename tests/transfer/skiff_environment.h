// The surroundings of a skiff run in a test: private settings, log and
// desktop directories, a recording launcher and a scripted prompt, and the
// environment variables pointed at them (restored afterwards).
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ftp_server.h"
#include "platform/launcher.h"
#include "platform/prompt.h"
#include "recording_launcher.h"
#include "scripted_ftp_server.h"
#include "scripted_prompt.h"
#include "temp_dir.h"
#include "transfer/transfer_dialog.h"

namespace skifftest {

class SkiffEnvironment : public ::testing::Test {
protected:
    SkiffEnvironment();
    ~SkiffEnvironment() override;

    void SetEnv(const std::string& name, const std::string& value);

    // Runs the start-up and, unless it ends the program, the dialog in this
    // process; `whileRunning` is called every few milliseconds while the
    // dialog's event loop runs (to press buttons). Returns the exit code.
    int RunSkiff(const std::string& argument,
                 std::function<void(transfer::TransferDialog&)> whileRunning = {});

    // The download log's entries ("" fields split off), empty when no log.
    std::vector<std::vector<std::string>> LogEntries() const;
    std::string LogPath() const;

    // A download or upload argument as ambit writes it.
    static std::string Argument(const std::string& host, const std::string& remote,
                                const std::string& user, const std::string& password,
                                const std::string& local, const std::string& mode,
                                const std::optional<std::string>& ask = std::nullopt);

    testsupport::TempDir home_;   // settings, system directory, desktop files
    testsupport::TempDir local_;  // where downloads land
    platform::RecordingLauncher launcher_;
    platform::ScriptedPrompt prompt_;
    std::unique_ptr<transfer::TransferDialog> dialog_;
    std::vector<int> hardExits_;  // codes the dialog asked to end the process with

private:
    platform::Launcher* previousLauncher_ = nullptr;
    std::unique_ptr<platform::ScopedPrompt> scopedPrompt_;
    std::vector<std::pair<std::string, std::optional<std::string>>> savedEnv_;
};

// A TCP port on 127.0.0.1 that accepts connections into its backlog but never
// answers (a server that does not greet), and can tell whether anyone came.
class SilentPort {
public:
    SilentPort();
    ~SilentPort();
    int Port() const { return port_; }
    bool AnyoneConnected();

private:
    int fd_ = -1;
    int port_ = 0;
};

// skiff pointed at a port that never answers, to show nobody connected.
class SkiffOffline : public SkiffEnvironment {
protected:
    SkiffOffline() { SetEnv("AMBIT_FTP_PORT", std::to_string(silent_.Port())); }
    SilentPort silent_;
};

// skiff against a real FTP server serving root_.
class SkiffOverFtp : public SkiffEnvironment {
protected:
    SkiffOverFtp() : server_(root_.Path()) {
        EXPECT_TRUE(server_.Started()) << server_.Error();
        SetEnv("AMBIT_FTP_PORT", std::to_string(server_.Port()));
    }
    // The argument for remote into local_ under its own name.
    std::string Download(const std::string& remote, const std::string& mode,
                         const std::optional<std::string>& ask = std::nullopt) {
        return Argument("127.0.0.1", remote, server_.User(), server_.Password(),
                        local_.File(remote.substr(remote.rfind('/') + 1)), mode, ask);
    }
    testsupport::TempDir root_;
    testsupport::FtpServer server_;
};

// skiff against the scripted server, for replies that must be exact.
class SkiffScripted : public SkiffEnvironment {
protected:
    void Start() {
        ASSERT_TRUE(server_.Start()) << server_.Error();
        SetEnv("AMBIT_FTP_PORT", std::to_string(server_.Port()));
    }
    // Runs the download of /name into local_ as user "u".
    int Download(const std::string& name) {
        return RunSkiff(Argument("127.0.0.1", "/" + name, "u", "p", local_.File(name), "1"));
    }
    // Login, the listing of one file, then its RETR up to the first data byte.
    testsupport::ScriptedFtpServer& ListThenRetr(const std::string& listing) {
        auto& s = server_.LoginSteps();
        s.Expect("PORT").Send("200 ok\r\n").Expect("LIST").Send("150 here\r\n");
        s.DataConnect().DataSend(listing).DataClose().Send("226 done\r\n");
        s.Expect("TYPE").Send("200 binary\r\n").Expect("PORT").Send("200 ok\r\n");
        return s.Expect("RETR").Send("150 sending\r\n").DataConnect();
    }
    testsupport::ScriptedFtpServer server_;
};

// `n` bytes of seeded noise: every byte value, no text to hide a CR LF fault.
std::string RandomBytes(size_t n, unsigned seed);

}  // namespace skifftest
