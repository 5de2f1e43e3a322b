// The "Getting Data:" window shown while a data file is read into the
// catalog: a text line and a progress bar. It is modeless and repaints
// itself directly, so no other command can run in the middle of a read.
#pragma once

#include <QDialog>
#include <QElapsedTimer>

#include "catalog/catalog_services.h"

class QLabel;
class QProgressBar;

namespace ui {

class ReadProgressDialog : public QDialog, public catalog::ReadProgress {
    Q_OBJECT
public:
    explicit ReadProgressDialog(QWidget* parent = nullptr);

    void Begin(const std::string& text, std::int64_t range) override;
    void Step(std::int64_t position) override;
    void End() override;

    // How many times the bar was redrawn during the last read (a large file
    // must not cost one repaint per line).
    int Repaints() const { return repaints_; }
    QProgressBar* Bar() const { return bar_; }
    QLabel* Text() const { return text_; }

private:
    QLabel* text_;
    QProgressBar* bar_;
    std::int64_t range_ = 0;
    int shownPercent_ = -1;
    int repaints_ = 0;
    QElapsedTimer sinceRepaint_;
};

}  // namespace ui
