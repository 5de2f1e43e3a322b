// The "what to do with the file" question, offscreen: default button by the
// file's ending, Open With refusing an empty program, Browse.
#include "transfer/what_to_do_dialog.h"

#include <gtest/gtest.h>

#include <QPushButton>
#include <QTimer>

#include "platform/prompt.h"
#include "scripted_prompt.h"
#include "transfer/post_transfer_action.h"

namespace {

using transfer::WhatToDoDialog;

// Runs the dialog modally and performs `act` once it is on screen.
int RunWith(WhatToDoDialog& d, std::function<void()> act) {
    QTimer::singleShot(0, &d, [act] { act(); });
    return d.exec();
}

TEST(WhatToDoDialog, DefaultButtonFollowsTheLastThreeCharacters) {
    using W = WhatToDoDialog;
    std::pair<const char*, W::Control> cases[] = {
        {"SETUP.EXE", W::kExecute}, {"tool.Zip", W::kUnzip}, {"notes.txt", W::kOpenAsText},
        {"disk.bin", W::kOpenWith}, {"xe", W::kOpenWith},    {"texe", W::kExecute},
    };
    for (const auto& [name, button] : cases) {
        W d(name, "");
        QPushButton* shownDefault = nullptr;
        RunWith(d, [&] {
            for (auto id : {W::kExecute, W::kDownloadOnly, W::kUnzip, W::kOpenAsText, W::kOpenWith})
                if (d.Button(id)->isDefault()) shownDefault = d.Button(id);
            d.reject();
        });
        EXPECT_EQ(shownDefault, d.Button(button)) << name;
    }
}

// Open With refuses an empty program and one holding "$$" (it would shift
// the download log's fields); Browse fills the edit quoted (so the
// blank stays inside the program name) and a cancelled Browse keeps it.
TEST(WhatToDoDialog, OpenWithNeedsAProgramWhichBrowseFillsQuoted) {
    platform::ScriptedPrompt prompt;
    platform::ScopedPrompt scope(&prompt);
    WhatToDoDialog d("picture.bin", "");
    std::vector<std::string> startedFrom;
    std::vector<std::optional<std::string>> answers = {std::nullopt, "/opt/My Viewer/view"};
    d.SetBrowser([&](QWidget*, const std::string& start) {
        startedFrom.push_back(start);
        auto a = answers.back();
        answers.pop_back();
        return a;
    });
    bool stillOpen = false, refusedSeparator = false;
    int code = RunWith(d, [&] {
        d.Button(WhatToDoDialog::kOpenWith)->click();
        stillOpen = d.isVisible();
        d.SetOpenWith("/opt/a$$b/view");
        d.Button(WhatToDoDialog::kOpenWith)->click();
        refusedSeparator = d.isVisible();
        d.Button(WhatToDoDialog::kBrowse)->click();
        d.Button(WhatToDoDialog::kBrowse)->click();  // cancelled
        d.Button(WhatToDoDialog::kOpenWith)->click();
    });
    EXPECT_TRUE(stillOpen);
    EXPECT_TRUE(refusedSeparator);
    ASSERT_EQ(prompt.Messages().size(), 2u);
    EXPECT_EQ(prompt.Messages()[0],
              "Please enter an application to open the file with or select another option.");
    EXPECT_NE(prompt.Messages()[1].find("cannot contain \"$$\""), std::string::npos);
    EXPECT_EQ(startedFrom, (std::vector<std::string>{"/opt/a$$b/view", "\"/opt/My Viewer/view\""}));
    EXPECT_EQ(code, transfer::kActionOpenWith);
    EXPECT_EQ(d.OpenWith(), "\"/opt/My Viewer/view\"");
}

}  // namespace
