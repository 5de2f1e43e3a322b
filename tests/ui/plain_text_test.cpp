// Text from servers, data files and logs reaches message boxes, labels and
// tool tips; markup in it must show as the characters it
// is (an <img> pointing at /dev/zero would otherwise be loaded). Also the
// save question's three answers, where Escape and closing keep the work.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QMessageBox>
#include <QTest>
#include <QTextDocument>
#include <QTreeView>
#include <functional>

#include "catalog/catalog_tree.h"
#include "platform/gui/message_box_prompt.h"
#include "ui/catalog_model.h"
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

struct BoxCase {
    const char* what;
    std::function<void(platform::MessageBoxPrompt&)> ask;
    std::function<void(QMessageBox*)> answer;
};

TEST(PlainText, MessageBoxesShowMarkupAsText) {
    platform::MessageBoxPrompt prompt;
    platform::SaveAnswer saved = platform::SaveAnswer::kSave;
    const BoxCase cases[] = {
        {"message", [](platform::MessageBoxPrompt& p) { p.Message(kHostile); },
         [](QMessageBox* b) { b->accept(); }},
        {"question", [](platform::MessageBoxPrompt& p) { p.AskYesNo(kHostile); },
         [](QMessageBox* b) { b->button(QMessageBox::No)->click(); }},
        {"save question, Escape",
         [&](platform::MessageBoxPrompt& p) { saved = p.AskSaveChanges(kHostile); },
         [](QMessageBox* b) { QTest::keyClick(b, Qt::Key_Escape); }},
    };
    for (const BoxCase& c : cases) {
        std::string seen;
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
    }
    EXPECT_EQ(saved, platform::SaveAnswer::kCancel) << "Escape keeps the work";
}

// The save question: only Save and Discard leave; closing it is Cancel.
TEST(PlainText, SaveQuestionAnswers) {
    platform::MessageBoxPrompt prompt;
    const std::pair<std::function<void(QMessageBox*)>, platform::SaveAnswer> cases[] = {
        {[](QMessageBox* b) { b->button(QMessageBox::Save)->click(); },
         platform::SaveAnswer::kSave},
        {[](QMessageBox* b) { b->button(QMessageBox::Discard)->click(); },
         platform::SaveAnswer::kDiscard},
        {[](QMessageBox* b) { b->close(); }, platform::SaveAnswer::kCancel},
    };
    for (const auto& [act, expected] : cases) {
        uitest::WhenModal([&](QWidget* w) { act(qobject_cast<QMessageBox*>(w)); });
        EXPECT_EQ(prompt.AskSaveChanges("Save?"), expected);
    }
}

TEST(PlainText, DialogLabelsAndToolTipsShowMarkupAsText) {
    ui::ReadProgressDialog progress;
    progress.Begin("Reading " + kHostileName, 10);
    ExpectPlainLabels(&progress, "reading");
    progress.End();

    catalog::CatalogTree tree;
    catalog::CEntry e;
    e.Name = "tool";
    e.Location = "/All/tool";
    e.Path = "/pub/tool.zip";
    e.Description = kHostile;
    tree.InsertEntry(e);
    ui::CatalogModel model(tree);
    QModelIndex all = model.index(0, 0);
    QString tip = model.index(0, 0, all).data(Qt::ToolTipRole).toString();
    QTextDocument shown;
    shown.setHtml(tip);  // how a tool tip that looks like markup is shown
    EXPECT_EQ(shown.toPlainText().toStdString(), kHostile);
}

}  // namespace
