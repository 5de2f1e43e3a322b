// The question skiff asks before a transfer when ambit wants the user to
// choose: what to do with the file once it has arrived. Asking first lets an
// unattended transfer finish on its own. exec() returns the chosen action
// code (1000..1004, see post_transfer_action.h) or 0 for Cancel.
#pragma once

#include <QDialog>
#include <functional>
#include <optional>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;

namespace transfer {

class WhatToDoDialog : public QDialog {
    Q_OBJECT

public:
    // Control ids of the buttons, for tests and for the default-button rule.
    enum Control {
        kExecute = 1013,
        kDownloadOnly = 1012,
        kUnzip = 1008,
        kOpenAsText = 1011,
        kOpenWith = 1014,
        kBrowse = 1010
    };

    WhatToDoDialog(const std::string& fileName, const std::string& openWith,
                   QWidget* parent = nullptr);

    // The open-with text as the user left it.
    std::string OpenWith() const;
    void SetOpenWith(const std::string& text);

    QPushButton* Button(Control id) const;
    QPushButton* CancelButton() const { return cancel_; }
    QLineEdit* OpenWithEdit() const { return edit_; }
    QLabel* PromptLabel() const { return prompt_; }

    // Browse asks this for a program, starting from the edit's text; nullopt
    // means the user cancelled. The default shows the file-open dialog;
    // tests install their own, since no one can click in a native dialog.
    using Browser =
        std::function<std::optional<std::string>(QWidget* parent, const std::string& start)>;
    void SetBrowser(Browser browser) { browser_ = std::move(browser); }

    // The button that is the default for a file name: Execute for names
    // ending in "exe", Unzip for "zip", Open as Text for "txt" (any case),
    // Open With for everything else.
    static Control DefaultFor(const std::string& fileName);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ChooseOpenWith();
    void Browse();

    std::string fileName_;
    QLabel* prompt_ = nullptr;
    QLineEdit* edit_ = nullptr;
    QPushButton* cancel_ = nullptr;
    std::vector<std::pair<Control, QPushButton*>> buttons_;
    Browser browser_;
};

}  // namespace transfer
