// The password dialog in both its forms, driven offscreen: what OK does with each kind
// of input, the messages shown, and the length limit that keeps text
// within what can be scrambled.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "platform/prompt.h"
#include "scripted_prompt.h"
#include "store/gui/password_dialog.h"
#include "store/gui/scramble_length_validator.h"
#include "store/scramble.h"

namespace {

using namespace store::gui;

QLineEdit* Field(QDialog& d, const char* name) {
    return d.findChild<QLineEdit*>(QLatin1String(name));
}

void PressOk(QDialog& d) {
    d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
}

TEST(PasswordDialog, EnteringRefusesAnEmptyPasswordAndHandsOverAnyOther) {
    platform::ScriptedPrompt prompt;
    platform::ScopedPrompt scope(&prompt);
    PasswordDialog d(PasswordDialog::Purpose::Enter);
    d.show();
    ASSERT_NE(Field(d, "password"), nullptr);
    EXPECT_EQ(Field(d, "password")->echoMode(), QLineEdit::Password);

    PressOk(d);
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(prompt.Messages(), std::vector<std::string>{"Please type in a password."});

    Field(d, "password")->setText("abc");  // short passwords are the billing code's business
    PressOk(d);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.result(), QDialog::Accepted);
    EXPECT_EQ(d.Password(), "abc");
    EXPECT_EQ(prompt.Messages().size(), 1u);
}

TEST(PasswordDialog, ChoosingRefusesShortThenDifferentPasswordsInThatOrder) {
    platform::ScriptedPrompt prompt;
    platform::ScopedPrompt scope(&prompt);
    PasswordDialog d(PasswordDialog::Purpose::Choose);
    d.show();

    struct Case {
        const char* password;
        const char* retype;
        const char* message;  // nullptr: accepted
    } cases[] = {
        {"12345", "12345", "Plase use a password that is at least 6 characters long"},
        {"12345", "different", "Plase use a password that is at least 6 characters long"},
        {"Secret", "secret", "Your passwords are different"},
        {"\xc3\xa9t\xc3\xa9 42", "\xc3\xa9t\xc3\xa9 42", nullptr},  // six characters, eight bytes
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.password);
        size_t before = prompt.Messages().size();
        Field(d, "password")->setText(QString::fromUtf8(c.password));
        Field(d, "retype")->setText(QString::fromUtf8(c.retype));
        PressOk(d);
        if (c.message) {
            EXPECT_TRUE(d.isVisible());
            ASSERT_EQ(prompt.Messages().size(), before + 1);
            EXPECT_EQ(prompt.Messages().back(), c.message);
        } else {
            EXPECT_FALSE(d.isVisible());
            EXPECT_EQ(d.result(), QDialog::Accepted);
            EXPECT_EQ(d.Password(), c.password);
        }
    }
}

TEST(PasswordDialog, AskReturnsNothingOnCancel) {
    QTimer::singleShot(0, [] {
        for (auto* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<PasswordDialog*>(w)) d->reject();
    });
    EXPECT_EQ(PasswordDialog::Ask(PasswordDialog::Purpose::Choose), std::nullopt);
}

// Typing or pasting cannot make a field's text longer than Scramble takes,
// counted in bytes, so no field can end the process.
TEST(ScrambleLengthValidator, FieldsStopAtTheScrambleLimitInBytes) {
    PasswordDialog d(PasswordDialog::Purpose::Choose);
    QLineEdit* field = Field(d, "password");
    field->setText(QString(300, 'x'));
    EXPECT_EQ(field->text().size(), static_cast<int>(store::kMaxScrambleText));

    field->clear();
    field->insert(QString(store::kMaxScrambleText, QChar(0xE9)));  // 2 bytes each: refused whole
    EXPECT_TRUE(field->text().isEmpty());
    field->clear();
    field->insert(QString(127, QChar(0xE9)));  // 254 bytes: fits exactly
    EXPECT_EQ(field->text().size(), 127);
    field->insert(QStringLiteral("x"));
    EXPECT_EQ(field->text().size(), 127);
    EXPECT_TRUE(store::CanScramble(field->text().toStdString()));

    QLineEdit email;
    LimitForScrambling(&email, 20);
    email.insert(QStringLiteral("someone@example.org.uk"));
    EXPECT_LE(email.text().toUtf8().size(), 20);
}

}  // namespace
