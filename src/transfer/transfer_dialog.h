// skiff's one window: the progress dialog of its single job. Initialize()
// reads the command argument (and asks what to do with the file when ambit
// wants that asked); once the dialog is first shown the work starts: log in,
// learn the size from a listing, transfer while a 700 ms timer redraws the
// progress, then run the chosen action and append the download log. Network
// calls wait in rounds of the event loop, so the timer, painting and Abort
// are served during the transfer.
#pragma once

#include <QDialog>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "transfer/transfer_command.h"

class FtpClient;
class QEventLoop;
class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace transfer {

class TransferDialog : public QDialog {
    Q_OBJECT

public:
    // Control ids of the dialog, as the purchase flow and tests name them.
    enum Control {
        kAbort = 1000,
        kProgressBar = 1004,
        kPercent = 1005,
        kBytes = 1006,
        kCaption = 1007,
        kTimeLeft = 1015,
        kSecondLine = 1016
    };
    static constexpr int kTimerMilliseconds = 700;

    explicit TransferDialog(QWidget* parent = nullptr);
    ~TransferDialog() override;

    // The start-up on the command argument. Returns an exit code when the
    // program must end now (no argument, Cancel in the question, a password
    // field that cannot be unscrambled); nullopt when the dialog is to show.
    std::optional<int> Initialize(const std::string& argument);

    // Shows the dialog modally; the work starts right after the first show.
    // Returns the program's exit code.
    int Run();

    // Where a transfer window goes when `others` are already open: a step
    // down and right for each, starting over before it leaves the screen.
    static QPoint CascadePosition(const QRect& available, const QSize& window, int others);

    // The transfer's state, for the purchase flow and for tests.
    const TransferCommand& Command() const { return command_; }
    // The purchase flow fills host, user, paths and name from its order.
    TransferCommand& MutableCommand() { return command_; }
    int ActionCode() const { return actionCode_; }
    const std::string& OpenWith() const { return openWith_; }
    const std::string& Password() const { return password_; }
    std::int64_t& BytesDone() { return bytesDone_; }
    std::int64_t TotalSize() const { return totalSize_; }
    void SetTotalSize(std::int64_t size) { totalSize_ = size; }
    void SetActionCode(int code) { actionCode_ = code; }
    void SetOpenWith(const std::string& text) { openWith_ = text; }
    void SetInProgress(bool on) { inProgress_ = on; }

    std::string Text(Control id) const;
    void SetText(Control id, const std::string& text);
    QPushButton* AbortButton() const { return abort_; }
    QProgressBar* ProgressBar() const { return progress_; }
    // The window icon's step (0..13) as last drawn.
    int IconStep() const { return iconStep_; }

    // Redraws the progress from the counters (timer ticks, and once at the end).
    void UpdateProgress();
    void StartProgressTimer();
    void StopProgressTimer();

    // Ends the process at once with a code (after Abort without a
    // connection). The default flushes and _exit()s; tests that run the
    // dialog in process install their own.
    using ExitFunction = std::function<void(int)>;
    void SetExitFunction(ExitFunction exit) { exit_ = std::move(exit); }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;  // Escape is Abort, never a silent close

private:
    void StartWork();
    int Download();
    int Upload();
    void OnAbort();
    void Pause(int milliseconds);

    TransferCommand command_;
    std::string password_;  // plain
    int actionCode_ = 1000;
    std::string openWith_;
    std::int64_t bytesDone_ = 0;
    std::int64_t totalSize_ = 0;
    bool inProgress_ = false;
    bool workStarted_ = false;
    bool aborted_ = false;
    bool clockStarted_ = false;
    std::chrono::steady_clock::time_point startTime_;
    int iconStep_ = -1;
    std::unique_ptr<FtpClient> client_;
    ExitFunction exit_;
    QEventLoop* pause_ = nullptr;  // the running pause, so Abort can end it

    QLabel* caption_ = nullptr;
    QLabel* bytes_ = nullptr;
    QLabel* timeLeft_ = nullptr;
    QLabel* secondLine_ = nullptr;
    QLabel* percent_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* abort_ = nullptr;
    QTimer* timer_ = nullptr;
};

// The size column of the first line of a LIST reply in the Unix long form
// (permissions, links, owner, group, size, ...), read as a decimal number;
// 0 for any other form or a size that is no number.
std::int64_t SizeFromListing(const std::string& listing);

}  // namespace transfer
