// The password dialog in both its forms, driven offscreen: what OK does with
// each input, and the length limit that keeps its text scrambleable.
#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>

#include "platform/prompt.h"
#include "scripted_prompt.h"
#include "store/gui/password_dialog.h"
#include "store/gui/scramble_length_validator.h"
#include "store/scramble.h"

namespace {

using store::gui::PasswordDialog;

QLineEdit* Field(QDialog& d, const char* name) {
    return d.findChild<QLineEdit*>(QLatin1String(name));
}

TEST(PasswordDialog, OkRefusesWhatThePurposeForbidsWithItsMessage) {
    using enum PasswordDialog::Purpose;
    struct Case {
        PasswordDialog::Purpose purpose;
        const char *password, *retype;
        const char* message;  // nullptr: accepted
    } const cases[] = {
        {Enter, "", nullptr, "Please type in a password."},
        {Enter, "abc", nullptr, nullptr},  // short passwords are the billing code's business
        {Choose, "12345", "12345", "Plase use a password that is at least 6 characters long"},
        {Choose, "12345", "different", "Plase use a password that is at least 6 characters long"},
        {Choose, "Secret", "secret", "Your passwords are different"},
        {Choose, "\xc3\xa9t\xc3\xa9 42", "\xc3\xa9t\xc3\xa9 42", nullptr},  // six characters
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.password);
        platform::ScriptedPrompt prompt;
        platform::ScopedPrompt scope(&prompt);
        PasswordDialog d(c.purpose);
        d.show();
        ASSERT_NE(Field(d, "password"), nullptr);
        EXPECT_EQ(Field(d, "password")->echoMode(), QLineEdit::Password);
        Field(d, "password")->setText(QString::fromUtf8(c.password));
        if (c.retype) Field(d, "retype")->setText(QString::fromUtf8(c.retype));
        d.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        EXPECT_EQ(d.isVisible(), c.message != nullptr);
        EXPECT_EQ(prompt.Messages(),
                  c.message ? std::vector<std::string>{c.message} : std::vector<std::string>{});
        if (!c.message) {
            EXPECT_EQ(d.Password(), c.password);
        }
    }
}

// Typing or pasting cannot make a field longer than Scramble takes, in
// bytes, so no field can end the process.
TEST(ScrambleLengthValidator, FieldsStopAtTheScrambleLimitInBytes) {
    PasswordDialog d(PasswordDialog::Purpose::Choose);
    QLineEdit* field = Field(d, "retype");
    field->setText(QString(300, 'x'));
    EXPECT_EQ(field->text().size(), static_cast<int>(store::kMaxScrambleText));
    field->clear();
    field->insert(QString(store::kMaxScrambleText, QChar(0xE9)));  // 2 bytes each: refused whole
    EXPECT_TRUE(field->text().isEmpty());
    field->insert(QString(127, QChar(0xE9)));  // 254 bytes: fits exactly
    field->insert(QStringLiteral("x"));
    EXPECT_EQ(field->text().size(), 127);

    QLineEdit email;
    store::gui::LimitForScrambling(&email, 20);
    email.insert(QStringLiteral("someone@example.org.uk"));
    EXPECT_LE(email.text().toUtf8().size(), 20);
}

}  // namespace
