// Qt tells nothing about lock keys, so their state comes from the LED class
// devices in /sys, which every Linux keyboard driver publishes; a key press
// of one of them or a slow timer triggers a re-read.
#include "ui/status_panes.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QStatusBar>
#include <QTimer>

namespace ui {

StatusPanes::StatusPanes(QStatusBar* bar) : QObject(bar) {
    caps_ = AddPane(bar, QStringLiteral("CAP"), "capsPane");
    num_ = AddPane(bar, QStringLiteral("NUM"), "numPane");
    scroll_ = AddPane(bar, QStringLiteral("SCRL"), "scrollPane");
    // The widest text it will ever show sets the pane's width.
    connection_ = AddPane(bar, QStringLiteral("TEST"), "connectionPane");
    connection_->setText(QStringLiteral("MFTP"));
    RefreshLocks();
    qApp->installEventFilter(this);
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &StatusPanes::RefreshLocks);
    timer->start(1000);
}

QLabel* StatusPanes::AddPane(QStatusBar* bar, const QString& widest, const char* name) {
    auto* label = new QLabel(bar);
    label->setTextFormat(Qt::PlainText);
    label->setObjectName(QString::fromLatin1(name));
    label->setAlignment(Qt::AlignCenter);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance(widest + QStringLiteral("MM")));
    bar->addPermanentWidget(label);
    return label;
}

void StatusPanes::SetSelectedKind(catalog::SelectionKind kind) {
    connection_->setText(kind != catalog::SelectionKind::CatalogItem ? QStringLiteral("FTP")
                                                                     : QStringLiteral("MFTP"));
}

QString StatusPanes::ConnectionText() const { return connection_->text(); }

bool StatusPanes::LockLedOn(const char* ledSuffix) {
    QDir leds(QStringLiteral("/sys/class/leds"));
    const QStringList names = leds.entryList(
        {QStringLiteral("*::") + QString::fromLatin1(ledSuffix)}, QDir::Dirs | QDir::System);
    for (const QString& name : names) {
        QFile f(leds.filePath(name) + QStringLiteral("/brightness"));
        if (f.open(QIODevice::ReadOnly) && f.readAll().trimmed().toInt() > 0) return true;
    }
    return false;
}

void StatusPanes::RefreshLocks() {
    caps_->setText(LockLedOn("capslock") ? QStringLiteral("CAP") : QString());
    num_->setText(LockLedOn("numlock") ? QStringLiteral("NUM") : QString());
    scroll_->setText(LockLedOn("scrolllock") ? QStringLiteral("SCRL") : QString());
}

bool StatusPanes::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyRelease) {
        int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_CapsLock || key == Qt::Key_NumLock || key == Qt::Key_ScrollLock)
            QTimer::singleShot(0, this, &StatusPanes::RefreshLocks);
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace ui
