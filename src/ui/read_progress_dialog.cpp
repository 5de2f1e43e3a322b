#include "ui/read_progress_dialog.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

namespace ui {

ReadProgressDialog::ReadProgressDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Getting Data:"));
    setObjectName(QStringLiteral("gettingData"));
    setModal(false);
    text_ = new QLabel(this);
    // The text names a server's file.
    text_->setTextFormat(Qt::PlainText);
    bar_ = new QProgressBar(this);
    bar_->setRange(0, 100);
    bar_->setMinimumWidth(320);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addWidget(bar_);
    setFixedSize(sizeHint());
}

void ReadProgressDialog::Begin(const std::string& text, std::int64_t range) {
    range_ = range > 0 ? range : 1;
    shownPercent_ = -1;
    repaints_ = 0;
    text_->setText(QString::fromStdString(text));
    bar_->setValue(0);
    QApplication::setOverrideCursor(Qt::WaitCursor);
    show();
    raise();
    repaint();
    sinceRepaint_.start();
}

void ReadProgressDialog::Step(std::int64_t position) {
    if (position < 0) position = 0;
    if (position > range_) position = range_;
    int percent = static_cast<int>(position * 100 / range_);
    // The first step is always drawn, so even a quick read shows it moved;
    // after that at most one redraw per percent and per 40 ms: reading
    // 100,000 lines must be spent reading, not painting.
    const bool first = shownPercent_ < 0;
    if (percent == shownPercent_ || (!first && percent < 100 && sinceRepaint_.elapsed() < 40))
        return;
    shownPercent_ = percent;
    bar_->setValue(percent);
    bar_->repaint();
    ++repaints_;
    sinceRepaint_.restart();
}

void ReadProgressDialog::End() {
    hide();
    QApplication::restoreOverrideCursor();
}

}  // namespace ui
