// Text from servers, data files and logs reaches message boxes and labels;
// markup in it must show as the characters it is (an <img> pointing at
// /dev/zero would otherwise be loaded). Also the save question's three
// answers, where Escape and closing keep the work.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <functional>
#include <optional>

#include "platform/gui/message_box_prompt.h"
#include "ui/read_progress_dialog.h"
#include "ui_test_env.h"

namespace {

const std::string kHostile = "550 <img src=\"/dev/zero\"> <b>bold</b>";
const std::string kHostileName = "<img src=\"&#47;dev&#47;zero\">.zip";

// Every label of the widget that holds text shows it as plain text.
void ExpectPlainLabels(const QWidget* w, const std::string& what) {
    int withText = 0;
    for (const QLabel* l : w->findChildren<QLabel*>()) {
        if (l->text().isEmpty()) continue;
        ++withText;
        EXPECT_TRUE(l->textFormat() == Qt::PlainText || !Qt::mightBeRichText(l->text()))
            << what << ": " << l->text().toStdString();
    }
    EXPECT_GT(withText, 0) << what;
}

// Only Save and Discard leave the save question; Escape and closing it are
// Cancel, which keeps the work.
TEST(PlainText, MessageBoxesShowMarkupAsTextAndTheSaveQuestionsAnswers) {
    using platform::SaveAnswer;
    platform::MessageBoxPrompt prompt;
    std::optional<SaveAnswer> saved;
    auto save = [&](platform::MessageBoxPrompt& p) { saved = p.AskSaveChanges(kHostile); };
    auto click = [](QMessageBox::StandardButton button) {
        return [button](QMessageBox* b) { b->button(button)->click(); };
    };
    const struct {
        const char* what;
        std::function<void(platform::MessageBoxPrompt&)> ask;
        std::function<void(QMessageBox*)> answer;
        std::optional<SaveAnswer> expected;
    } cases[] = {
        {"message", [](platform::MessageBoxPrompt& p) { p.Message(kHostile); },
         [](QMessageBox* b) { b->accept(); }, std::nullopt},
        {"question", [](platform::MessageBoxPrompt& p) { p.AskYesNo(kHostile); },
         click(QMessageBox::No), std::nullopt},
        {"save", save, click(QMessageBox::Save), SaveAnswer::kSave},
        {"discard", save, click(QMessageBox::Discard), SaveAnswer::kDiscard},
        {"escape", save, [](QMessageBox* b) { QTest::keyClick(b, Qt::Key_Escape); },
         SaveAnswer::kCancel},
        {"close", save, [](QMessageBox* b) { b->close(); }, SaveAnswer::kCancel},
    };
    for (const auto& c : cases) {
        std::string seen;
        saved.reset();
        auto ran = uitest::WhenModal([&](QWidget* w) {
            auto* box = qobject_cast<QMessageBox*>(w);
            ASSERT_NE(box, nullptr);
            seen = box->text().toStdString();
            ExpectPlainLabels(box, c.what);
            c.answer(box);
        });
        c.ask(prompt);
        EXPECT_TRUE(*ran) << c.what;
        EXPECT_EQ(seen, kHostile) << c.what;
        EXPECT_EQ(saved, c.expected) << c.what;
    }
}

TEST(PlainText, ReadProgressShowsAFileNameAsText) {
    ui::ReadProgressDialog progress;
    progress.Begin("Reading " + kHostileName, 10);
    ExpectPlainLabels(&progress, "reading");
    progress.End();
}

}  // namespace
