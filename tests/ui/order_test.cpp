// Billing information and buying a priced catalog item through the real
// dialogs (offscreen) and the real settings file: a first entry of billing
// information under a new password, editing it with the right password
// only, its "Blank" and MM/YY rules and the credit-card note; the Minnesota
// tax box, every way a purchase ends before skiff, the order file a
// confirmed one leaves for skiff, and Buy from the window. Skiff's side of
// the order is tested with the transfer program.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <filesystem>

#include "platform/paths.h"
#include "platform/string_array_file.h"
#include "purchase/order_elements.h"
#include "sample_billing.h"
#include "session/item_purchase.h"
#include "session/settings_store.h"
#include "store/billing_info.h"
#include "store/scramble.h"
#include "ui/billing_dialog.h"
#include "ui/billing_editor.h"
#include "ui/command_ids.h"
#include "ui/item_properties_dialog.h"
#include "ui/options_dialog.h"
#include "ui/order_dialog.h"
#include "ui/transfer_commands.h"
#include "ui_test_env.h"

namespace {

namespace fs = std::filesystem;
using purchase::OrderElements;
using session::ItemPurchase;
using store::BillingInfo;
using Step = std::function<void(QWidget*)>;

constexpr const char* kPassword = "secret1";
constexpr const char* kMinnesota = "12 Main St\nDuluth, MN 55802";

session::OrderForm Form(const std::string& address) {
    session::OrderForm f;
    f.itemName = "Chess Master 3.1";
    f.priceText = "100.00";
    f.priceCents = 10000;
    f.holderAddress = address;
    return f;
}

Step EnterPassword(const char* password) {
    return [password](QWidget* w) {
        for (QLineEdit* edit : w->findChildren<QLineEdit*>()) edit->setText(password);
        qobject_cast<QDialog*>(w)->accept();
    };
}
const Step kCancel = [](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); };
Step Confirm(std::function<void(ui::OrderDialog*)> edit = {}) {
    return [edit](QWidget* w) {
        auto* d = qobject_cast<ui::OrderDialog*>(w);
        ASSERT_NE(d, nullptr);
        if (edit) edit(d);
        d->accept();
    };
}

// Each test on a settings file of its own.
class PurchaseTest : public ::testing::Test {
protected:
    void SetUp() override { session::SettingsStore::SelectApplicationKey(); }
    uitest::UiTestEnv env;
};

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

class BillingTest : public PurchaseTest {
protected:
    void Edit(std::vector<Step> steps, ui::BillingEditor::CardSupportNote note = {}) {
        const int expected = static_cast<int>(steps.size());
        auto ran = uitest::WhenModals(std::move(steps));
        ui::BillingEditor(nullptr, note).Edit();
        EXPECT_EQ(*ran, expected);
    }
    static BillingInfo Stored() {
        BillingInfo b;
        EXPECT_EQ(BillingInfo::Load(kPassword, b), 0);
        return b;
    }
};

TEST_F(BillingTest, FirstEntryThenEditingWithTheRightPasswordOnly) {
    // Without a phone a password is asked but nothing saved; without a card
    // number no password is asked at all.
    BillingInfo noPhone = Full();
    noPhone.tel.clear();
    Edit({Fill(noPhone), EnterPassword(kPassword)});
    BillingInfo noCard = Full();
    noCard.cardnum.clear();
    Edit({Fill(noCard)});
    EXPECT_FALSE(BillingInfo::Exists());

    Edit({Fill(Full()), EnterPassword(kPassword)});
    EXPECT_EQ(Stored(), Full());

    // The right password shows every field as stored; the edit is saved.
    BillingInfo changed = Full();
    changed.tel = "555-0111";
    Edit({EnterPassword(kPassword), [&](QWidget* w) {
              auto* d = qobject_cast<ui::BillingDialog*>(w);
              ASSERT_NE(d, nullptr);
              EXPECT_EQ(d->Result(), Full());
              EXPECT_TRUE(d->MasterCardButton()->isChecked());
              Fill(changed)(w);
          }});
    EXPECT_EQ(Stored(), changed);

    // A wrong password shows nothing and changes nothing.
    Edit({EnterPassword("secret99")});
    EXPECT_EQ(env.prompt.Messages(), std::vector<std::string>{"Incorrect Password"});

    // Clearing the card number is refused with "Blank".
    BillingInfo blank = changed;
    blank.cardnum.clear();
    blank.name = "Someone Else";
    Edit({EnterPassword(kPassword), Fill(blank)});
    EXPECT_EQ(env.prompt.Messages().back(), "Blank");
    EXPECT_EQ(Stored(), changed);
}

TEST_F(BillingTest, ExpirationDateMustBeShorterThanSixCharacters) {
    for (const auto& [date, accepted] :
         {std::pair{"04/1999", false}, {"04/199", false}, {"04/99", true}, {"0499", true}}) {
        ui::BillingDialog dialog(BillingInfo{});
        dialog.ExpirationEdit()->setText(QString::fromLatin1(date));
        dialog.accept();
        EXPECT_EQ(dialog.result() == QDialog::Accepted, accepted) << date;
    }
    EXPECT_EQ(env.prompt.Messages(),
              std::vector<std::string>(2, "Please enter the expiration date in the format MM/YY"));

    // A stored card type without a button of its own is kept.
    BillingInfo discover = Full();
    discover.cardtype = BillingInfo::kDiscover;
    EXPECT_EQ(ui::BillingDialog(discover).Result().cardtype, "DISCOVER");
}

TEST_F(BillingTest, CardSupportNoteComesFirst) {
    Edit({kCancel}, {"July 1997", std::time(nullptr) + 86400});
    Edit({kCancel}, {"July 1996", std::time(nullptr) - 86400});
    EXPECT_EQ(env.prompt.Messages(),
              (std::vector<std::string>{
                  "Note: Support for purchasing software with credit cards has not been "
                  "implemented yet.\nIt is expected to be added around July 1997",
                  "Credit card support should now be available. If you would like to use it "
                  "pleas download the latest version of Ambit."}));
}

TEST_F(BillingTest, OptionsCanEraseTheBillingInformation) {
    ui::OptionsDialog options(session::AmbitSettings::Defaults());
    ASSERT_EQ(Full().Save(kPassword), 0);
    env.prompt.Answer(true);
    options.EraseInfoButton()->click();
    EXPECT_FALSE(BillingInfo::Exists());
    EXPECT_TRUE(env.prompt.Messages().empty());
}

void ExpectTaxed(const ui::OrderDialog& d, bool taxed, const char* address) {
    EXPECT_EQ(d.TaxBox()->isChecked(), taxed) << address;
    EXPECT_EQ(d.TaxEdit()->text(), taxed ? "6.50" : "0.00") << address;
    EXPECT_EQ(d.TotalEdit()->text(), taxed ? "106.50" : "100.00") << address;
    EXPECT_EQ(d.Result().taxed, taxed) << address;
}

// The address sets the box, shown or typed over a Minnesota one; only the
// user clears it, and not while the address is in Minnesota.
TEST_F(PurchaseTest, OrderTaxFollowsTheAddressAndOnlyTheUserClearsIt) {
    const struct {
        const char* address;
        bool automatic;
    } cases[] = {
        {kMinnesota, true},
        {"Duluth,MN 55802", true},
        {"mn 55802", true},
        {"Duluth, MN", false},
        {"Saint Paul, Minnesota", false},
        {"Saint Paul, Minnesota 55101", true},
        {"Saint Paul, Minnesota\nUSA", true},
        {"1 Column Rd\nSaint Paul, Minnesota 55101", false},  // the first "MN" decides
        {"Rochester, Minn. 55901", true},
        {"Minneapolis 55401", false},
        {"Columbus, OH 43004", false},
        {"", false},
    };
    for (const auto& c : cases) {
        ExpectTaxed(ui::OrderDialog(Form(c.address)), c.automatic, c.address);
        ui::OrderDialog typed(Form(kMinnesota));
        typed.AddressEdit()->setPlainText(QString::fromUtf8(c.address));
        ExpectTaxed(typed, c.automatic, c.address);
        typed.TaxBox()->click();
        ExpectTaxed(typed, true, c.address);
        typed.TaxBox()->click();
        ExpectTaxed(typed, c.automatic, c.address);
    }
}

constexpr const char* kGame = "/pub/games/chess.zip";
constexpr const char* kInstaller = "/pub/ambit/ambit+install.exe";  // any case

struct BuyCase {
    const char* name;
    std::vector<Step> dialogs;  // all of them must appear
    std::vector<bool> answers;  // to the questions, in order
    const char* question = "";  // the first asked
    const char* message = "";   // the last shown, its start
    bool billingStored = true;
    const char* price = "19.99";
    const char* remotePath = kGame;
    const char* launcherFailure = "";
    bool quit = false;
    std::vector<std::string> order = {};  // the order file; card and local path checked apart
};

// clang-format off
const std::vector<std::string> kAsShown = {
    "Ann B. Lee", "PO Box 7\nDuluth", "555-0199", "MC", "04/99", "1999" /* not 1998 */, "",
    "ftp.example.org", "Chess Master", kGame, "", "Ann B. Lee", "PO Box 7\nDuluth", "555-0199", "0"};
std::vector<std::string> Edited() {
    std::vector<std::string> o = kAsShown;
    o[OrderElements::kHolderName] = "A. Lee";
    o[OrderElements::kCardType] = "VISA";
    o[OrderElements::kPriceCents] = "1000";
    o[OrderElements::kSalesTax] = "1";
    return o;
}
const Step kBillingShown = [](QWidget* w) {
    EXPECT_NE(qobject_cast<ui::BillingDialog*>(w), nullptr);
    qobject_cast<QDialog*>(w)->reject();
};

const BuyCase kBuyCases[] = {
    {"NoBillingYesOpensIt", {kBillingShown}, {true}, ItemPurchase::kNoBillingQuestion, "", false},
    {"NoBillingNo", {}, {false}, ItemPurchase::kNoBillingQuestion, "", false},
    {"PasswordCancelled", {kCancel}, {}},
    {"WrongPassword", {EnterPassword("wrong-one")}, {}, "", ItemPurchase::kWrongPassword},
    {"OrderCancelled", {EnterPassword(kPassword), kCancel}, {}},
    {"PriceIsNoAmount", {}, {}, "", "\"Chess Master\" cannot be bought", true, "ask us"},
    {"ConfirmedAsShown", {EnterPassword(kPassword), Confirm()}, {}, "", "", true, "19.99", kGame,
     "", false, kAsShown},
    {"ConfirmedAfterEdits", {EnterPassword(kPassword), Confirm([](ui::OrderDialog* d) {
         d->HolderNameEdit()->setText("A. Lee");
         d->VisaButton()->click();
         d->TaxBox()->click();
     })}, {}, "", "", true, "10", kGame, "", false, Edited()},
    {"InstallerAgreedQuits", {EnterPassword(kPassword), Confirm()}, {true},
     ItemPurchase::kInstallQuestion, "", true, "5.00", kInstaller, "", true},
    {"SkiffMissingNeitherBuysNorQuits", {EnterPassword(kPassword), Confirm()}, {true},
     ItemPurchase::kInstallQuestion, "Could not start the transfer program", true, "5.00",
     kInstaller, "no such file"},
};
// clang-format on

void PrintTo(const BuyCase& c, std::ostream* os) { *os << c.name; }

class BuyTest : public PurchaseTest, public ::testing::WithParamInterface<BuyCase> {
protected:
    session::CatalogSession session{env.DataDir()};
    ui::TransferCommands commands{nullptr, session, {}};  // installs the Buy path
};

TEST_P(BuyTest, EndsAsTheUserChose) {
    const BuyCase& c = GetParam();
    if (c.billingStored) {
        ASSERT_EQ(Full().Save(kPassword), 0);
    }
    for (bool a : c.answers) env.prompt.Answer(a);
    env.launcher.FailWith(c.launcherFailure);
    catalog::CEntry entry;
    entry.Name = "Chess Master";
    entry.Address = "ftp.example.org";
    entry.Path = c.remotePath;
    entry.Price = c.price;
    const std::string local = env.DownloadDir() + "/chess.zip";

    auto ran = uitest::WhenModals(c.dialogs);
    bool quit = false;
    const bool started = session.Purchase(entry, local, &quit);
    EXPECT_EQ(*ran, static_cast<int>(c.dialogs.size()));
    EXPECT_EQ(quit, c.quit);
    EXPECT_EQ(env.prompt.UnusedAnswers(), 0u);
    EXPECT_EQ(env.prompt.Questions().empty() ? "" : env.prompt.Questions()[0], c.question);
    EXPECT_EQ(env.prompt.Messages().empty()
                  ? ""
                  : env.prompt.Messages().back().substr(0, std::string(c.message).size()),
              c.message);

    std::vector<fs::path> files;  // the card's number must not be left lying about
    for (const auto& f : fs::directory_iterator(platform::TempDirectory()))
        if (f.path().filename().string().rfind("amb", 0) == 0) files.push_back(f.path());
    EXPECT_EQ(started, !env.launcher.Started().empty());
    EXPECT_EQ(files.size(), started ? 1u : 0u);
    if (!started || c.order.empty()) return;
    EXPECT_EQ(env.launcher.Started()[0][1], "FINFO$$" + files[0].string() + "$$");
    std::vector<std::string> order;
    ASSERT_EQ(platform::ReadStringArrayFile(files[0], order), platform::StringArrayRead::kOk);
    std::string card;
    ASSERT_EQ(order.size(), c.order.size());
    EXPECT_TRUE(store::TryUnscramble(order[OrderElements::kScrambledCard], card));
    EXPECT_EQ(card, Full().cardnum);
    EXPECT_EQ(order[OrderElements::kLocalPath], local);
    order[OrderElements::kScrambledCard] = order[OrderElements::kLocalPath] = "";
    EXPECT_EQ(order, c.order);
}

INSTANTIATE_TEST_SUITE_P(Cases, BuyTest, ::testing::ValuesIn(kBuyCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Item Properties' Buy; agreeing to install closes the program through its
// normal close, save question included.
class BuyFromTheWindow : public uitest::WindowTest {};

TEST_F(BuyFromTheWindow, InstallingQuitsThroughTheSaveQuestion) {
    env.StoreKnownUser();
    ASSERT_EQ(Full().Save(kPassword), 0);
    env.prompt.Answer(false);  // no ambit.amb: start with an empty tree
    StartWindow();
    catalog::CEntry e;
    e.Name = "Ambit 1.2";
    e.Location = "/All/Ambit 1.2";
    e.Path = kInstaller;
    e.Price = "5.00";
    View()->SelectItem(Tree().InsertEntry(e));
    Cat().SetChanged();

    env.prompt.Answer(true);   // install, and so quit
    env.prompt.Answer(false);  // discard the changes
    auto ran = uitest::WhenModals(
        {[](QWidget* w) { qobject_cast<ui::ItemPropertiesDialog*>(w)->DownloadButton()->click(); },
         EnterPassword(kPassword), Confirm()});
    Run(ui::cmd::kItemPropertiesMenu);
    EXPECT_EQ(*ran, 3);
    ASSERT_EQ(env.launcher.Started().size(), 1u);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !frame->isVisible(); }, 5000));
    EXPECT_EQ(env.prompt.Questions().back(),
              "You have made changes to your tree, would you like to save them?");
}

}  // namespace
