// The About box: name, version, build stamp and a button that opens the
// program's home page in the desktop's browser.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace ui {

inline constexpr const char* kWebAddress = "http://www.internet-ambit.example/";

class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(QWidget* parent = nullptr);

    QPushButton* WebButton() const { return web_; }
    QLabel* BuildStamp() const { return stamp_; }

private:
    void OpenWebAddress();

    QPushButton* web_;
    QLabel* stamp_;
};

}  // namespace ui
