#include "ui/splash_dialog.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTimerEvent>
#include <QVBoxLayout>

#include "ui/tool_images.h"

namespace ui {

SplashDialog::SplashDialog(int durationMs, QWidget* parent)
    : QDialog(parent, Qt::SplashScreen | Qt::FramelessWindowHint), durationMs_(durationMs) {
    setObjectName(QStringLiteral("splash"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* picture = new QLabel(this);
    picture->setPixmap(SplashPicture());
    layout->addWidget(picture);
    setFixedSize(sizeHint());
}

void SplashDialog::ShowFor(int durationMs, QWidget* parent) {
    if (durationMs <= 0) return;
    SplashDialog splash(durationMs, parent);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect area = screen->availableGeometry();
        splash.move(area.center() - splash.rect().center());
    }
    splash.exec();
}

void SplashDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!timer_) timer_ = startTimer(durationMs_);
}

void SplashDialog::timerEvent(QTimerEvent* event) {
    if (event->timerId() != timer_) return QDialog::timerEvent(event);
    killTimer(timer_);
    timer_ = 0;
    accept();
}

}  // namespace ui
