// The script travels as a JSON file in a temporary directory; the transcript
// comes back the same way, one JSON string per line.
#include "scripted_ftp_server.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <algorithm>
#include <cstdio>

namespace testsupport {

std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x7f) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

ScriptedFtpServer& ScriptedFtpServer::SendParts(const std::vector<std::string>& parts) {
    std::string list = "[";
    for (size_t i = 0; i < parts.size(); ++i) list += (i ? ", " : "") + JsonString(parts[i]);
    return Step("send_parts", list + "]");
}

ScriptedFtpServer& ScriptedFtpServer::LoginSteps() {
    return Send("220 scripted server ready\r\n")
        .Expect("USER")
        .Send("331 password please\r\n")
        .Expect("PASS")
        .Send("230 logged in\r\n");
}

std::string ScriptedFtpServer::PatternBytes(long count) {
    std::string out;
    out.reserve(static_cast<size_t>(count));
    for (long i = 0; i < count; ++i) out += static_cast<char>(i & 255);
    return out;
}

bool ScriptedFtpServer::Start() {
    std::string json = "[\n";
    for (size_t i = 0; i < steps_.size(); ++i) json += (i ? ",\n" : "") + steps_[i];
    json += "\n]\n";
    std::string script = dir_.Write("script.json", json);
    process_ = std::make_unique<ServerProcess>(
        "scripted_ftp_server.py", std::vector<std::string>{script, dir_.File("transcript")});
    return process_->Port() > 0;
}

const std::string& ScriptedFtpServer::Error() const {
    return process_ ? process_->Error() : error_;
}

std::vector<std::string> ScriptedFtpServer::Transcript() {
    std::vector<std::string> lines;
    if (!process_) return lines;
    if (!process_->WaitForExit(20)) process_->Stop();
    // One JSON string per line; the server wrote bytes as Latin-1 characters.
    std::string text = dir_.Read("transcript");
    for (size_t start = 0; start < text.size();) {
        size_t end = std::min(text.find('\n', start), text.size());
        QByteArray line = QByteArray::fromStdString("[" + text.substr(start, end - start) + "]");
        lines.push_back(
            QJsonDocument::fromJson(line).array().at(0).toString().toLatin1().toStdString());
        start = end + 1;
    }
    return lines;
}

}  // namespace testsupport
