// The "what to do with the file" question, offscreen: default button by the
// file's ending, Open With refusing an empty program, Browse, Cancel.
#include "transfer/what_to_do_dialog.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "platform/prompt.h"
#include "transfer/post_transfer_action.h"

namespace {

using transfer::WhatToDoDialog;

// Runs the dialog modally and performs `act` once it is on screen.
int RunWith(WhatToDoDialog& d, std::function<void()> act) {
    QTimer::singleShot(0, &d, [act] { act(); });
    return d.exec();
}

TEST(WhatToDoDialog, DefaultButtonFollowsTheFileEnding) {
    struct Case {
        const char* name;
        WhatToDoDialog::Control button;
    } cases[] = {
        {"setup.exe", WhatToDoDialog::kExecute}, {"SETUP.EXE", WhatToDoDialog::kExecute},
        {"tool.Zip", WhatToDoDialog::kUnzip},    {"notes.txt", WhatToDoDialog::kOpenAsText},
        {"disk.bin", WhatToDoDialog::kOpenWith}, {"xe", WhatToDoDialog::kOpenWith},
        {"texe", WhatToDoDialog::kExecute},  // only the last three characters count
    };
    for (const auto& c : cases) {
        WhatToDoDialog d(c.name, "");
        QPushButton* shownDefault = nullptr;
        QString prompt;
        RunWith(d, [&] {
            for (auto id :
                 {WhatToDoDialog::kExecute, WhatToDoDialog::kDownloadOnly, WhatToDoDialog::kUnzip,
                  WhatToDoDialog::kOpenAsText, WhatToDoDialog::kOpenWith})
                if (d.Button(id)->isDefault()) shownDefault = d.Button(id);
            prompt = d.PromptLabel()->text();
            d.reject();
        });
        EXPECT_EQ(shownDefault, d.Button(c.button)) << c.name;
        EXPECT_EQ(d.windowTitle().toStdString(), "What would you like to do with the file?");
        EXPECT_EQ(prompt.toStdString(),
                  std::string("What would you like to do with ") + c.name + "?");
    }
}

TEST(WhatToDoDialog, OpenWithNeedsAProgramAndKeepsTheEditedText) {
    platform::ScriptedPrompt prompt;
    platform::ScopedPrompt scope(&prompt);
    WhatToDoDialog d("picture.bin", "");
    bool stillOpen = false;
    int code = RunWith(d, [&] {
        d.Button(WhatToDoDialog::kOpenWith)->click();
        stillOpen = d.isVisible();
        d.OpenWithEdit()->setText("viewer --fast");
        d.Button(WhatToDoDialog::kOpenWith)->click();
    });
    EXPECT_TRUE(stillOpen);
    EXPECT_EQ(prompt.Messages(),
              std::vector<std::string>{
                  "Please enter an application to open the file with or select another option."});
    EXPECT_EQ(code, transfer::kActionOpenWith);
    EXPECT_EQ(d.OpenWith(), "viewer --fast");
}

TEST(WhatToDoDialog, BrowseFillsTheEditAndCancelKeepsIt) {
    WhatToDoDialog d("a.bin", "start-here");
    std::vector<std::string> startedFrom;
    std::vector<std::optional<std::string>> answers = {"/opt/My Viewer/view", std::nullopt};
    d.SetBrowser([&](QWidget*, const std::string& start) {
        startedFrom.push_back(start);
        auto a = answers.front();
        answers.erase(answers.begin());
        return a;
    });
    std::string afterFirst, afterSecond;
    RunWith(d, [&] {
        d.Button(WhatToDoDialog::kBrowse)->click();
        afterFirst = d.OpenWith();
        d.Button(WhatToDoDialog::kBrowse)->click();
        afterSecond = d.OpenWith();
        d.reject();
    });
    EXPECT_EQ(startedFrom, (std::vector<std::string>{"start-here", "\"/opt/My Viewer/view\""}));
    EXPECT_EQ(afterFirst,
              "\"/opt/My Viewer/view\"");  // quoted, so the blank stays inside the program name
    EXPECT_EQ(afterSecond, afterFirst);
}

}  // namespace
