// Billing information through the real dialogs (offscreen) and the real
// settings file: a first entry under a new password, editing with the right
// password and refusing a wrong one, the "Blank" and MM/YY rules, the
// credit-card note, and Erase Info from the Options dialog.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <cstdlib>

#include "sample_billing.h"
#include "session/settings_store.h"
#include "store/billing_info.h"
#include "ui/billing_dialog.h"
#include "ui/billing_editor.h"
#include "ui/options_dialog.h"
#include "ui_test_env.h"

namespace {

using store::BillingInfo;
using Step = std::function<void(QWidget*)>;

BillingInfo Full() { return testsupport::SampleBilling(); }

Step Fill(BillingInfo b) {
    return [b](QWidget* w) {
        auto* d = qobject_cast<ui::BillingDialog*>(w);
        ASSERT_NE(d, nullptr);
        d->NameEdit()->setText(QString::fromStdString(b.name));
        d->AddressEdit()->setPlainText(QString::fromStdString(b.addr));
        d->PhoneEdit()->setText(QString::fromStdString(b.tel));
        d->HolderNameEdit()->setText(QString::fromStdString(b.cname));
        d->HolderAddressEdit()->setPlainText(QString::fromStdString(b.caddr));
        d->HolderPhoneEdit()->setText(QString::fromStdString(b.ctel));
        d->CardNumberEdit()->setText(QString::fromStdString(b.cardnum));
        (b.cardtype == BillingInfo::kMasterCard ? d->MasterCardButton() : d->VisaButton())->click();
        d->ExpirationEdit()->setText(QString::fromStdString(b.carddt));
        d->accept();
    };
}

Step Password(const char* password) {
    return [password](QWidget* w) {
        for (QLineEdit* edit : w->findChildren<QLineEdit*>()) edit->setText(password);
        qobject_cast<QDialog*>(w)->accept();
    };
}

class BillingTest : public ::testing::Test {
protected:
    void SetUp() override { session::SettingsStore::SelectApplicationKey(); }
    void Edit(std::vector<Step> steps, size_t expectedSteps,
              ui::BillingEditor::CardSupportNote note = {}) {
        auto ran = uitest::WhenModals(std::move(steps));
        ui::BillingEditor(nullptr, note).Edit();
        EXPECT_EQ(static_cast<size_t>(*ran), expectedSteps);
    }
    static BillingInfo Stored() {
        BillingInfo b;
        EXPECT_EQ(BillingInfo::Load("secret12", b), 0);
        return b;
    }
    uitest::UiTestEnv env_;
};

TEST_F(BillingTest, FirstEntryThenEditingWithTheRightPasswordOnly) {
    Edit({Fill(Full()), Password("secret12")}, 2);
    EXPECT_EQ(Stored(), Full());

    // The right password shows every field as stored; the edit is saved.
    BillingInfo changed = Full();
    changed.tel = "555-0111";
    Edit({Password("secret12"),
          [&](QWidget* w) {
              auto* d = qobject_cast<ui::BillingDialog*>(w);
              ASSERT_NE(d, nullptr);
              EXPECT_EQ(d->Result(), Full());
              EXPECT_TRUE(d->MasterCardButton()->isChecked());
              if (const char* shots = std::getenv("AMBIT_SCREENSHOT_DIR"))
                  d->grab().save(QString::fromUtf8(shots) + "/billing-dialog.png");
              Fill(changed)(w);
          }},
         2);
    EXPECT_EQ(Stored(), changed);

    // A wrong password shows nothing and changes nothing.
    Edit({Password("secret99")}, 1);
    EXPECT_EQ(env_.prompt.Messages(), std::vector<std::string>{"Incorrect Password"});

    // Clearing the card number is refused with "Blank".
    BillingInfo blank = changed;
    blank.cardnum.clear();
    blank.name = "Someone Else";
    Edit({Password("secret12"), Fill(blank)}, 2);
    EXPECT_EQ(env_.prompt.Messages().back(), "Blank");
    EXPECT_EQ(Stored(), changed);
}

TEST_F(BillingTest, FirstEntryWithoutAPhoneAsksForAPasswordAndSavesNothing) {
    BillingInfo noPhone = Full();
    noPhone.tel.clear();
    Edit({Fill(noPhone), Password("secret12")}, 2);
    EXPECT_FALSE(BillingInfo::Exists());
    // Without a card number no password is asked at all.
    BillingInfo noCard = Full();
    noCard.cardnum.clear();
    Edit({Fill(noCard)}, 1);
    EXPECT_FALSE(BillingInfo::Exists());
}

TEST_F(BillingTest, ExpirationDateMustBeShorterThanSixCharacters) {
    struct Case {
        const char* date;
        bool accepted;
    };
    for (const Case& c : {Case{"04/1999", false}, Case{"04/99", true}, Case{"0499", true}}) {
        ui::BillingDialog dialog(BillingInfo{});
        dialog.ExpirationEdit()->setText(QString::fromLatin1(c.date));
        dialog.accept();
        EXPECT_EQ(dialog.result() == QDialog::Accepted, c.accepted) << c.date;
    }
    EXPECT_EQ(env_.prompt.Messages(),
              std::vector<std::string>{"Please enter the expiration date in the format MM/YY"});

    // A stored card type without a button of its own is kept.
    BillingInfo discover = Full();
    discover.cardtype = BillingInfo::kDiscover;
    EXPECT_EQ(ui::BillingDialog(discover).Result().cardtype, "DISCOVER");
}

TEST_F(BillingTest, CardSupportNoteComesFirst) {
    auto cancel = [](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); };
    Edit({cancel}, 1, {"July 1997", std::time(nullptr) + 86400});
    Edit({cancel}, 1, {"July 1996", std::time(nullptr) - 86400});
    EXPECT_EQ(env_.prompt.Messages(),
              (std::vector<std::string>{
                  "Note: Support for purchasing software with credit cards has not been "
                  "implemented yet.\nIt is expected to be added around July 1997",
                  "Credit card support should now be available. If you would like to use it "
                  "pleas download the latest version of Ambit."}));
}

TEST_F(BillingTest, OptionsCanEraseTheBillingInformation) {
    ui::OptionsDialog options(session::AmbitSettings::Defaults());
    ASSERT_TRUE(options.BillingButton()->isEnabled());
    ASSERT_TRUE(options.EraseInfoButton()->isEnabled());
    ASSERT_EQ(Full().Save("secret12"), 0);
    env_.prompt.Answer(true);
    options.EraseInfoButton()->click();
    EXPECT_FALSE(BillingInfo::Exists());
    EXPECT_TRUE(env_.prompt.Messages().empty());
}

}  // namespace
