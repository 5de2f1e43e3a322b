#include "transfer/transfer_dialog.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>

#include "net/ftp_client.h"
#include "net/listing_parser.h"
#include "platform/launcher.h"
#include "platform/prompt.h"
#include "platform/string_printf.h"
#include "store/registry_application.h"
#include "store/scramble.h"
#include "transfer/desktop_notification.h"
#include "transfer/download_log.h"
#include "transfer/file_association.h"
#include "transfer/local_file.h"
#include "transfer/order_flow.h"
#include "transfer/post_transfer_action.h"
#include "transfer/progress_texts.h"
#include "transfer/what_to_do_dialog.h"

// Resources of a static library are registered by hand, outside any namespace.
static void InitTransferResources() { Q_INIT_RESOURCE(transfer); }

namespace transfer {
namespace {

constexpr const char* kStandaloneMessage =
    "This is not a standalone application, it is meant to be spawned from Ambit.exe";

void ExitProcess(int code) {
    std::fflush(nullptr);
    ::_exit(code);
}

// Restores the cursor however the work ends.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

std::int64_t SizeFromListing(const std::string& listing) {
    std::string_view line(listing);
    line = line.substr(0, line.find('\n'));
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    net::ListedLine entry;
    if (!net::ListingParser().ParseUnixLine(line, entry)) return 0;
    std::int64_t size = 0;
    for (char c : entry.size) {
        if (c < '0' || c > '9') break;
        if (size > (INT64_MAX - 9) / 10) return 0;  // no real file is that large
        size = size * 10 + (c - '0');
    }
    return size;
}

TransferDialog::TransferDialog(QWidget* parent) : QDialog(parent), exit_(ExitProcess) {
    InitTransferResources();
    setWindowTitle("File Transfer:");
    setWindowIcon(QIcon(QString::fromStdString(ProgressTexts::IconResource(0))));

    caption_ = new QLabel(this);
    bytes_ = new QLabel(this);
    timeLeft_ = new QLabel(this);
    secondLine_ = new QLabel(this);
    percent_ = new QLabel("0%", this);
    for (QLabel* l : {caption_, bytes_, timeLeft_, secondLine_}) {
        l->setTextFormat(Qt::PlainText);
        l->setWordWrap(true);
    }
    percent_->setTextFormat(Qt::PlainText);
    percent_->setMinimumWidth(40);
    percent_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    bytes_->setMinimumHeight(bytes_->fontMetrics().lineSpacing() * 2);
    progress_ = new QProgressBar(this);
    progress_->setRange(0, 100);
    progress_->setValue(0);
    progress_->setTextVisible(false);
    abort_ = new QPushButton("Abort", this);
    abort_->setAutoDefault(false);
    connect(abort_, &QPushButton::clicked, this, &TransferDialog::OnAbort);

    auto* bar = new QHBoxLayout;
    bar->addWidget(progress_, 1);
    bar->addWidget(percent_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(abort_);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(caption_);
    layout->addWidget(bytes_);
    layout->addLayout(bar);
    layout->addWidget(timeLeft_);
    layout->addWidget(secondLine_);
    layout->addLayout(buttons);
    setMinimumWidth(420);

    // Linux window managers have no system menu of ours to extend, so the
    // about item lives in the dialog's context menu.
    auto* about = new QAction("&About Skiff...", this);
    connect(about, &QAction::triggered, this, [this] {
        QMessageBox::about(
            this, "About Skiff",
            "Skiff 1.1\nThe transfer program of Internet Ambit: one download, upload or "
            "purchase with its progress.");
    });
    addAction(about);
    setContextMenuPolicy(Qt::ActionsContextMenu);

    timer_ = new QTimer(this);
    timer_->setInterval(kTimerMilliseconds);
    connect(timer_, &QTimer::timeout, this, &TransferDialog::UpdateProgress);
}

TransferDialog::~TransferDialog() = default;

std::optional<int> TransferDialog::Initialize(const std::string& argument) {
    // Past a file-size limit a write then fails with EFBIG and a message,
    // instead of the signal ending the program without a word.
    std::signal(SIGXFSZ, SIG_IGN);
    // Both programs must read and write the same settings tree.
    store::SetCompanyKey(store::kDefaultCompanyKey);
    if (argument.empty()) {
        platform::CurrentPrompt().Message(kStandaloneMessage);
        return 0;
    }
    command_ = ParseTransferCommand(argument);
    if (command_.orderMode) return std::nullopt;

    std::string why;
    if (!store::TryUnscramble(command_.scrambledPassword, password_, &why)) {
        platform::CurrentPrompt().Message("The password passed to skiff cannot be used: " + why);
        return 1;
    }
    SetText(kCaption, platform::StringPrintf("Transferring: %s", command_.displayName.c_str()));

    if (command_.localPath.find('.') != std::string::npos)
        openWith_ = FileAssociation::Suggestion(command_.localPath);

    if (command_.AskWhatToDo()) {
        if (command_.isDownload) {
            WhatToDoDialog ask(command_.displayName, openWith_);
            int code = ask.exec();
            if (code == 0) return 0;  // Cancel: nothing is transferred
            actionCode_ = code;
            openWith_ = ask.OpenWith();
        }
    } else {
        actionCode_ = kActionExecute;
    }
    return std::nullopt;
}

QPoint TransferDialog::CascadePosition(const QRect& available, const QSize& window, int others) {
    constexpr int kStep = 32;
    const QPoint centred(std::max(available.left(), available.center().x() - window.width() / 2),
                         std::max(available.top(), available.center().y() - window.height() / 2));
    const int roomX = std::max(0, available.right() - window.width() - centred.x());
    const int roomY = std::max(0, available.bottom() - window.height() - centred.y());
    const int steps = std::max(1, std::min(roomX, roomY) / kStep + 1);
    const int n = std::max(0, others) % steps;
    return centred + QPoint(n * kStep, n * kStep);
}

int TransferDialog::Run() {
    // Several transfers at once would otherwise open exactly on top of each
    // other, hiding all but the last.
    adjustSize();
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(CascadePosition(screen->availableGeometry(), frameGeometry().size(),
                             platform::OtherProcessesRunning("skiff")));
    return exec();
}

std::string TransferDialog::Text(Control id) const {
    switch (id) {
        case kCaption:
            return caption_->text().toStdString();
        case kBytes:
            return bytes_->text().toStdString();
        case kTimeLeft:
            return timeLeft_->text().toStdString();
        case kSecondLine:
            return secondLine_->text().toStdString();
        case kPercent:
            return percent_->text().toStdString();
        default:
            return "";
    }
}

void TransferDialog::SetText(Control id, const std::string& text) {
    QString t = QString::fromStdString(text);
    switch (id) {
        case kCaption:
            caption_->setText(t);
            break;
        case kBytes:
            bytes_->setText(t);
            break;
        case kTimeLeft:
            timeLeft_->setText(t);
            break;
        case kSecondLine:
            secondLine_->setText(t);
            break;
        case kPercent:
            percent_->setText(t);
            break;
        default:
            break;
    }
}

void TransferDialog::StartProgressTimer() { timer_->start(); }
void TransferDialog::StopProgressTimer() { timer_->stop(); }

void TransferDialog::UpdateProgress() {
    auto now = std::chrono::steady_clock::now();
    if (!clockStarted_) {
        clockStarted_ = true;
        startTime_ = now;
    }
    ProgressInput in;
    in.bytesDone = bytesDone_;
    in.totalSize = totalSize_;
    in.elapsedSeconds = static_cast<double>(
        std::chrono::duration_cast<std::chrono::seconds>(now - startTime_).count());
    in.isDownload = command_.isDownload;
    in.isResume = command_.isResume;
    in.host = command_.host;
    in.displayName = command_.displayName;
    ProgressTexts t = ProgressTexts::Compute(in);

    SetText(kTimeLeft, t.timeLeft);
    if (t.setBytesText) SetText(kBytes, t.bytesText);
    progress_->setValue(t.percent);
    SetText(kPercent, t.percentText);
    setWindowTitle(QString::fromStdString(t.title));
    if (t.iconStep != iconStep_) {
        iconStep_ = t.iconStep;
        setWindowIcon(QIcon(QString::fromStdString(ProgressTexts::IconResource(t.iconStep))));
    }
}

void TransferDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Started from the event loop rather than from painting, so the nested
    // network waits never run inside a paint.
    if (!workStarted_) {
        workStarted_ = true;
        QTimer::singleShot(0, this, &TransferDialog::StartWork);
    }
}

void TransferDialog::closeEvent(QCloseEvent* event) {
    event->ignore();
    OnAbort();
}

void TransferDialog::reject() { OnAbort(); }

void TransferDialog::StartWork() {
    if (aborted_) return;
    if (command_.orderMode) {
        OrderFlow* flow = CurrentOrderFlow();
        if (!flow) {
            platform::CurrentPrompt().Message(
                "This skiff cannot carry out purchases: its purchase module is missing.");
            done(1);
            return;
        }
        OrderRequest request{command_.isResume, command_.orderFilePath};
        int code = flow->Run(*this, request);
        if (!aborted_) done(code);
        return;
    }
    int code = 0;
    try {
        code = command_.isDownload ? Download() : Upload();
    } catch (const CWinsockErr&) {
        timer_->stop();
        inProgress_ = false;
        client_.reset();
        if (aborted_) {
            done(0);
            return;
        }
        platform::CurrentPrompt().Message(TakeErrorText("--"));
        code = 1;
    }
    // The connection simply closes: waiting for a goodbye from a server that
    // does not answer QUIT would only keep the finished dialog on screen.
    client_.reset();
    done(aborted_ ? 0 : code);
}

int TransferDialog::Download() {
    WaitCursor cursor;
    bytesDone_ = 0;
    std::string refusal = LocalFile::DownloadRefusal(command_.localPath);
    if (!refusal.empty()) {
        platform::CurrentPrompt().Message(refusal);
        return 1;
    }
    SetText(kBytes, platform::StringPrintf("Connecting to: %s", command_.host.c_str()));
    client_ = std::make_unique<FtpClient>(command_.host, command_.user, password_);
    if (aborted_) return 0;

    // The size only feeds the progress texts: a server that refuses LIST on
    // a file still gets asked for the file, with the size unknown.
    std::string listing;
    try {
        if (!client_->List(listing, command_.remotePath)) return 0;
        totalSize_ = SizeFromListing(listing);
    } catch (const CFtpObjError&) {
        // Only a server's refusal leaves the connection in step for RETR.
        const int code = FtpErrorRecord::PeekCode();
        if (aborted_ || code < 400 || code > 599) throw;
        FtpErrorRecord::Clear();
        totalSize_ = 0;
    }

    StartProgressTimer();
    inProgress_ = true;
    bool ok = client_->Get(command_.remotePath, LocalFile::PartPath(command_.localPath), bytesDone_,
                           command_.isBinary);
    if (!ok || aborted_) return 0;
    std::string error;
    if (!LocalFile::Commit(command_.localPath, &error)) {
        platform::CurrentPrompt().Message(error);
        return 1;
    }

    UpdateProgress();
    Pause(500);
    if (aborted_) return 0;
    if (command_.InstallRequested())
        PostTransferAction::RunInstaller(command_.localPath);
    else
        PostTransferAction::Run(actionCode_, command_.localPath, openWith_);

    DownloadLogEntry entry;
    entry.displayName = command_.displayName;
    entry.host = command_.host;
    entry.localPath = command_.localPath;
    entry.actionCode = actionCode_;
    entry.when = std::time(nullptr);
    entry.totalSize = totalSize_;
    entry.openWith = openWith_;
    entry.remotePath = command_.remotePath;
    entry.user = command_.user;
    entry.scrambledPassword = command_.scrambledPassword;
    // The file has arrived; a log that cannot take the entry is worth
    // telling, but it is no failure of the transfer.
    if (!DownloadLog::Append(entry, DownloadLog::Path(), &error))
        platform::CurrentPrompt().Message(error);
    // Someone working in another window would not see the dialog go.
    if (!isActiveWindow())
        DesktopNotification::Send("Download finished",
                                  command_.displayName + " has arrived in " + command_.localPath);
    return 0;
}

int TransferDialog::Upload() {
    // The local file is checked before connecting: a folder would have the
    // server store an empty file over the remote one.
    struct stat st {};
    if (::stat(command_.localPath.c_str(), &st) != 0 ||
        ::access(command_.localPath.c_str(), R_OK) != 0) {
        int e = errno;
        FtpClient::FailFtp(1000 + e, "opening local file for upload", "", e);
    }
    std::string refusal = LocalFile::UploadRefusal(command_.localPath);
    if (!refusal.empty()) {
        platform::CurrentPrompt().Message(refusal);
        return 1;
    }
    totalSize_ = static_cast<std::int64_t>(st.st_size);

    SetText(kBytes, platform::StringPrintf("Connecting to: %s", command_.host.c_str()));
    bytesDone_ = 0;
    client_ = std::make_unique<FtpClient>(command_.host, command_.user, password_);
    if (aborted_) return 0;

    StartProgressTimer();
    inProgress_ = true;
    client_->Put(command_.localPath, command_.remotePath, bytesDone_, command_.isBinary);
    inProgress_ = false;
    return 0;
}

void TransferDialog::Pause(int milliseconds) {
    QEventLoop loop;
    pause_ = &loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
    pause_ = nullptr;
}

void TransferDialog::OnAbort() {
    if (aborted_) return;
    if (command_.orderMode && workStarted_) {
        aborted_ = true;
        if (OrderFlow* flow = CurrentOrderFlow()) flow->Abort();
        exit_(0);
        done(0);
        return;
    }
    aborted_ = true;
    if (pause_) pause_->quit();
    if (client_) {
        // The waiting call returns false at once and the work ends with 0,
        // without the action and without a log entry.
        client_->Abort();
        hide();
        return;
    }
    platform::CurrentPrompt().Message("No Con");
    exit_(0);
    done(0);
}

}  // namespace transfer
