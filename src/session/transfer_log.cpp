#include "session/transfer_log.h"

#include <QString>
#include <algorithm>
#include <cstdlib>

#include "catalog/data_file_format.h"
#include "platform/file_actions.h"
#include "platform/launcher.h"
#include "platform/paths.h"
#include "platform/prompt.h"
#include "platform/string_array_file.h"

namespace session {
namespace {

constexpr size_t kFieldCount = 11;
// Fields 8 to 11 follow the Open With program (field 7).
constexpr size_t kFieldsAfterOpenWith = 4;

constexpr const char* kGoneQuestion =
    "This file is not currently on your hard drive. Would you like me to download it again?";

std::vector<std::string> SplitFields(const std::string& text) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (size_t at = text.find("$$"); at != std::string::npos; at = text.find("$$", start)) {
        fields.push_back(text.substr(start, at - start));
        start = at + 2;
    }
    return fields;
}

bool KnownAction(const std::string& action) {
    for (const char* name : {"Exec", "None", "UnZip", "View", "OpenW"})
        if (action == name) return true;
    return false;
}

std::string Trimmed(const std::string& text) {
    size_t b = text.find_first_not_of(' ');
    if (b == std::string::npos) return {};
    return text.substr(b, text.find_last_not_of(' ') - b + 1);
}

int Digits(const std::string& text, size_t at) {
    if (at + 2 > text.size()) return -1;
    int value = 0;
    for (size_t i = at; i < at + 2; ++i) {
        if (text[i] < '0' || text[i] > '9') return -1;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

}  // namespace

std::string TransferLog::Path() {
    return platform::JoinPath(platform::SystemDirectory(), "ambit.log");
}

TransferLogRecord TransferLog::ParseRecord(const std::string& text) {
    std::vector<std::string> f = SplitFields(text);
    TransferLogRecord r;
    if (f.size() > kFieldCount) {
        // Glue the surplus back into the Open With program.
        const size_t tail = f.size() - kFieldsAfterOpenWith;
        std::string openWith = f[6];
        for (size_t i = 7; i < tail; ++i) openWith += "$$" + f[i];
        f.erase(f.begin() + 7, f.begin() + static_cast<std::ptrdiff_t>(tail));
        f[6] = openWith;
    }
    r.complete = f.size() == kFieldCount && KnownAction(f[3]);
    f.resize(kFieldCount);
    r.name = f[0];
    r.host = f[1];
    r.localPath = f[2];
    r.action = f[3];
    r.date = f[4];
    r.size = f[5];
    r.openWith = f[6];
    r.remotePath = f[7];
    r.user = f[8];
    r.scrambledPassword = f[9];
    r.price = f[10];
    return r;
}

std::vector<TransferLogRecord> TransferLog::Read(const std::string& path, std::string* error) {
    std::vector<std::string> items;
    std::vector<TransferLogRecord> records;
    if (platform::ReadStringArrayFile(path, items, error) != platform::StringArrayRead::kOk)
        return records;
    records.reserve(items.size());
    for (const std::string& item : items) records.push_back(ParseRecord(item));
    return records;
}

long long TransferLog::DateKey(const std::string& date) {
    // Month, day and year as written by strftime; hour and minute after the
    // dash, the minute being the last two characters.
    if (date.size() < 13 || date[2] != '/' || date[5] != '/' || date[8] != '-') return -1;
    int month = Digits(date, 0), day = Digits(date, 3), yy = Digits(date, 6);
    int hour = Digits(date, 9), minute = Digits(date, date.size() - 2);
    if (month < 0 || day < 0 || yy < 0 || hour < 0 || minute < 0) return -1;
    long long key = catalog::FullYear(yy);
    for (int part : {month, day, hour, minute}) key = key * 100 + part;
    return key;
}

void TransferLog::Sort(std::vector<TransferLogRecord>& records, int column) {
    auto by = [&](auto less) { std::stable_sort(records.begin(), records.end(), less); };
    auto number = [](const std::string& s) { return std::strtoll(s.c_str(), nullptr, 10); };
    switch (column) {
        case kName:
            by([](const TransferLogRecord& a, const TransferLogRecord& b) {
                return QString::fromStdString(a.name).compare(QString::fromStdString(b.name),
                                                              Qt::CaseInsensitive) < 0;
            });
            break;
        case kDate:
            by([](const TransferLogRecord& a, const TransferLogRecord& b) {
                return DateKey(a.date) > DateKey(b.date);
            });
            break;
        case kSize:
            by([&](const TransferLogRecord& a, const TransferLogRecord& b) {
                return number(a.size) > number(b.size);
            });
            break;
        case kPrice:
            // By the whole units: "12.50" and "12.99" are equal.
            by([&](const TransferLogRecord& a, const TransferLogRecord& b) {
                return number(a.price) > number(b.price);
            });
            break;
        default:
            break;
    }
}

TransferLog::Action TransferLog::DefaultAction(const TransferLogRecord& record) {
    if (record.action == "OpenW") return kOpenWith;
    if (record.action == "UnZip") return kUnzip;
    if (record.action == "View") return kOpenAsText;
    if (record.action == "Exec") return kExecute;
    return kNoAction;
}

std::string TransferLog::ColumnText(const TransferLogRecord& r, int column) {
    switch (column) {
        case kName:
            return r.name;
        case kDate:
            return r.date;
        case kSize:
            return r.size;
        case kPrice:
            return r.price;
        case kAction:
            return r.action;
        case kAddress:
            return r.host;
        case kPath:
            return r.localPath;
        default:
            return {};
    }
}

void TransferLog::Run(TransferLogRecord& record, Action action, const std::string& openWith) const {
    platform::Prompt& prompt = platform::CurrentPrompt();
    if (!record.complete) {
        prompt.Message(
            "This entry of the download log is damaged, so it cannot be told which "
            "file it names. Nothing was done with it.");
        return;
    }
    record.localPath = Trimmed(record.localPath);
    const std::string& path = record.localPath;
    if (!platform::FileExists(path) || platform::IsDirectory(path)) {
        if (record.Bought())
            prompt.Message(
                "This file is not currently on your hard drive. It was bought, so it "
                "cannot be downloaded again from the transfer log.");
        else if (prompt.AskYesNo(kGoneQuestion))
            DownloadAgain(record);
        return;
    }
    switch (action) {
        case kExecute: {
            // A received file is rarely a program, and one that is not would
            // simply not start: say so rather than seem to ignore the button.
            std::string error;
            if (platform::FindProgram(path).empty())
                prompt.Message(path +
                               " is not a program, so it cannot be executed. Use Open "
                               "With or Open as Text to open it.");
            else if (!platform::FileActions::Execute(path, &error))
                prompt.Message(error);
            break;
        }
        case kUnzip:
            platform::FileActions::UnzipAndShow(path);
            break;
        case kOpenAsText:
            platform::FileActions::OpenAsText(path);
            break;
        case kOpenWith:
            if (openWith.empty())
                prompt.Message("Please enter an application to open the file with.");
            else
                platform::FileActions::OpenWith(openWith, path);
            break;
        case kDownloadAgain:
            DownloadAgain(record);
            break;
        case kNoAction:
            break;
    }
}

bool TransferLog::DownloadAgain(const TransferLogRecord& record) const {
    // A bought file is delivered by the purchase exchange; a plain download
    // of it would only fail at the server.
    if (record.Bought()) {
        platform::CurrentPrompt().Message(
            "This file was bought, so it cannot be downloaded again from the transfer log.");
        return false;
    }
    return skiff_.Start({record.host, record.remotePath, record.user, record.scrambledPassword,
                         record.localPath, "1"});
}

}  // namespace session
