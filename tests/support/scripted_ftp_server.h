// A scripted FTP server for tests (tests/servers/scripted_ftp_server.py):
// one control connection on 127.0.0.1 that gets exactly the replies and
// faults the test writes down, and a transcript of every line the client
// sent, CR LF included, to check afterwards (a PORT line's run-time port
// reads "<port>", so whole transcripts compare).
//
//     testsupport::ScriptedFtpServer server;
//     server.LoginSteps().Expect("PWD").Send("257 \"/\"\r\n");
//     ASSERT_TRUE(server.Start()) << server.Error();
//     { FtpClient client("127.0.0.1", server.Port(), "u", "p"); ... }
//     EXPECT_EQ(server.Transcript(), (std::vector<std::string>{"USER u\r\n", ...}));
//
// Transcript() waits (bounded) for the server to finish, which it does when
// the client has hung up, so destroy the client first.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "server_process.h"
#include "temp_dir.h"

namespace testsupport {

// A string as a JSON string literal (bytes above 127 as \u00XX, as the
// server reads them back as Latin-1).
std::string JsonString(const std::string& text);

class ScriptedFtpServer {
public:
    // Script steps, in order (see the server script for their meaning).
    ScriptedFtpServer& Send(const std::string& text) { return Step("send", JsonString(text)); }
    ScriptedFtpServer& SendParts(const std::vector<std::string>& parts);
    ScriptedFtpServer& Expect(const std::string& text) { return Step("expect", JsonString(text)); }
    ScriptedFtpServer& DataConnect() { return Step("data_connect", "true"); }
    ScriptedFtpServer& DataSend(const std::string& text) {
        return Step("data_send", JsonString(text));
    }
    ScriptedFtpServer& DataSendBytes(long count) {
        return Step("data_send_bytes", std::to_string(count));
    }
    ScriptedFtpServer& DataClose() { return Step("data_close", "true"); }
    ScriptedFtpServer& DataReceive() { return Step("data_recv", "true"); }
    ScriptedFtpServer& Close() { return Step("close", "true"); }
    ScriptedFtpServer& SendForever(const std::string& text) {
        return Step("send_forever", JsonString(text));
    }
    ScriptedFtpServer& WaitEof() { return Step("wait_eof", "true"); }
    // The usual greeting and login of user "u" with password "p".
    ScriptedFtpServer& LoginSteps();

    // Starts the server with the script so far; false if it did not start.
    bool Start();
    int Port() const { return process_ ? process_->Port() : 0; }
    const std::string& Error() const;
    // The lines received (with "DATA ...", "EOF" entries), after the server
    // has finished (waits up to 20 s).
    std::vector<std::string> Transcript();

    // The bytes DataSendBytes(n) sends.
    static std::string PatternBytes(long count);

private:
    ScriptedFtpServer& Step(const std::string& key, const std::string& jsonValue) {
        steps_.push_back("{\"" + key + "\": " + jsonValue + "}");
        return *this;
    }

    TempDir dir_;
    std::vector<std::string> steps_;
    std::unique_ptr<ServerProcess> process_;
    std::string error_;
};

}  // namespace testsupport
