// The main program's side of the download log that skiff appends to
// ("ambit.log" in the system directory, one string list, one record of
// eleven "$$"-terminated fields per received file): reading the records,
// ordering them for the Transfer Log dialog, and acting again on a received
// file. Kept apart from the dialog so the reading, the orders and the
// actions can be checked without a window.
#pragma once

#include <string>
#include <vector>

#include "session/skiff_starter.h"

namespace session {

struct TransferLogRecord {
    std::string name;
    std::string host;
    std::string localPath;
    std::string action;  // "Exec", "None", "UnZip", "View", "OpenW"
    std::string date;    // "%m/%d/%y-%H:%M"
    std::string size;
    std::string openWith;  // "NONE" when there was none
    std::string remotePath;
    std::string user;
    std::string scrambledPassword;
    std::string price;  // "0.00" when the file was not bought
    // Every field was found where it belongs. A damaged record is shown as
    // far as it goes, but no action runs on it: its path may be any field.
    bool complete = false;

    bool Bought() const { return price != "0.00"; }
};

class TransferLog {
public:
    // The list's columns, in the order the dialog shows them.
    enum Column { kName, kDate, kSize, kPrice, kAction, kAddress, kPath, kColumnCount };
    // What the user can do with a record's file; the values are the
    // dialog's button results.
    enum Action {
        kExecute = 1000,
        kDownloadAgain = 1001,
        kUnzip = 1002,
        kOpenAsText = 1003,
        kOpenWith = 1004,
        kNoAction = 0,  // the recorded "None": OK is the default
    };

    // "<system directory>/ambit.log".
    static std::string Path();

    // One record's fields. An Open With program holding "$$" (written
    // before skiff refused it) splits into extra fields; since only that
    // field can hold one, the fields after it are taken from the end.
    static TransferLogRecord ParseRecord(const std::string& text);

    // Every record of the log at path, in file order. A missing log is
    // empty; a damaged one is empty with the reason in *error.
    static std::vector<TransferLogRecord> Read(const std::string& path, std::string* error);

    // Orders the records by a column as its header click does: Name
    // ascending without regard to case, Date newest first, Size and Price
    // largest first; the other columns keep the order.
    static void Sort(std::vector<TransferLogRecord>& records, int column);
    // "%m/%d/%y-%H:%M" as a number that grows with time (years 70-99 are
    // 1970-1999, 00-69 are 2000-2069); -1 when it is not such a text.
    static long long DateKey(const std::string& date);

    // The button the recorded action makes the default.
    static Action DefaultAction(const TransferLogRecord& record);
    // The recorded action's name for a row (the text of the Action column).
    static std::string ColumnText(const TransferLogRecord& record, int column);

    explicit TransferLog(const SkiffStarter& skiff) : skiff_(skiff) {}

    // Runs an action on the record's file: a file that has gone leads to
    // the question whether to download it again; Download Again starts
    // skiff in binary mode with the recorded fields. `openWith` is the
    // program text the user left in the dialog.
    void Run(TransferLogRecord& record, Action action, const std::string& openWith) const;

private:
    bool DownloadAgain(const TransferLogRecord& record) const;

    const SkiffStarter& skiff_;
};

}  // namespace session
