// Buying a priced catalog item through the real dialogs (offscreen) and the
// real settings file: the Minnesota tax box as the order dialog sets it,
// every way the purchase ends before skiff, and the order file a confirmed
// purchase leaves for skiff, read back with the shared string-list reader.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <cstdlib>
#include <filesystem>

#include "catalog/c_entry.h"
#include "platform/paths.h"
#include "platform/string_array_file.h"
#include "purchase/order_elements.h"
#include "sample_billing.h"
#include "session/catalog_session.h"
#include "session/item_purchase.h"
#include "session/settings_store.h"
#include "store/scramble.h"
#include "ui/billing_dialog.h"
#include "ui/order_dialog.h"
#include "ui/transfer_commands.h"
#include "ui_test_env.h"

namespace {

namespace fs = std::filesystem;
using purchase::OrderElements;
using session::ItemPurchase;
using Step = std::function<void(QWidget*)>;

constexpr const char* kPassword = "secret1";

// ---- The tax box ----

struct TaxCase {
    const char* address;
    bool automatic;  // the address alone sets the box, and it stays set
};

const TaxCase kTaxCases[] = {
    {"12 Main St\nDuluth, MN 55802", true},
    {"12 Main St\nDuluth,MN 55802", true},
    {"mn 55802", true},
    {"Duluth, MN", false},  // no ZIP code or line after it
    {"PO Box 7\nSaint Paul, Minnesota", false},
    {"PO Box 7\nSaint Paul, Minnesota 55101", true},
    {"Saint Paul, Minnesota\nUSA", true},
    // The first "MN" decides: inside "Column" it rules out the state.
    {"1 Column Rd\nSaint Paul, Minnesota 55101", false},
    {"Rochester, Minn. 55901", true},
    {"Minneapolis 55401", false},  // "MINN" inside a longer word
    {"Columbus, OH 43004", false},
    {"", false},
};

class OrderDialogTax : public ::testing::TestWithParam<TaxCase> {
protected:
    static session::OrderForm Form(const std::string& address) {
        session::OrderForm f;
        f.itemName = "Chess Master";
        f.priceText = "100.00";
        f.priceCents = 10000;
        f.holderAddress = address;
        return f;
    }
    static void ExpectAmounts(const ui::OrderDialog& d, bool taxed) {
        EXPECT_EQ(d.TaxBox()->isChecked(), taxed);
        EXPECT_EQ(d.TaxEdit()->text(), taxed ? "6.50" : "0.00");
        EXPECT_EQ(d.TotalEdit()->text(), taxed ? "106.50" : "100.00");
        EXPECT_EQ(d.Result().taxed, taxed);
    }
};

TEST_P(OrderDialogTax, AddressSetsTheBoxWhenShownAndWhenEdited) {
    const TaxCase& c = GetParam();
    ui::OrderDialog shown(Form(c.address));
    ExpectAmounts(shown, c.automatic);

    ui::OrderDialog typed(Form("Nowhere"));
    typed.AddressEdit()->setPlainText(QString::fromUtf8(c.address));
    ExpectAmounts(typed, c.automatic);
    EXPECT_EQ(typed.AutomaticTax(), c.automatic);

    // A Minnesota address keeps the box on; otherwise the user decides.
    typed.TaxBox()->click();
    ExpectAmounts(typed, true);
    typed.TaxBox()->click();
    ExpectAmounts(typed, c.automatic);
}

INSTANTIATE_TEST_SUITE_P(Addresses, OrderDialogTax, ::testing::ValuesIn(kTaxCases));

TEST(OrderDialogAddress, LeavingMinnesotaClearsTheBox) {
    session::OrderForm f;
    f.priceText = "19.99";
    f.priceCents = 1999;
    f.holderAddress = "Duluth, MN 55802";
    ui::OrderDialog d(f);
    EXPECT_EQ(d.TotalEdit()->text(), "21.29");
    d.AddressEdit()->setPlainText("Fargo, ND 58102");
    EXPECT_FALSE(d.TaxBox()->isChecked());
    EXPECT_EQ(d.TotalEdit()->text(), "19.99");
}

// Saved when AMBIT_SCREENSHOT_DIR names a directory; either way the dialog
// must render with its caption and buttons.
TEST(OrderDialogPicture, ShowsAConfirmableOrder) {
    session::OrderForm f;
    f.itemName = "Chess Master 3.1";
    f.priceText = "100.00";
    f.priceCents = 10000;
    f.holderName = "Ann B. Lee";
    f.holderAddress = "12 Main St\nDuluth, MN 55802";
    f.holderPhone = "555-0199";
    f.cardNumber = "4111 1111 1111 1234";
    f.expiry = "04/99";
    ui::OrderDialog d(f);
    d.show();
    QPixmap shot = d.grab();
    EXPECT_FALSE(shot.isNull());
    EXPECT_EQ(d.windowTitle(), "Please confirm your order information:");
    EXPECT_NE(d.findChild<QPushButton*>(), nullptr);
    if (const char* dir = std::getenv("AMBIT_SCREENSHOT_DIR")) {
        fs::create_directories(dir);
        EXPECT_TRUE(shot.save(QString::fromStdString(std::string(dir) + "/order-dialog.png")));
    }
}

// ---- The Buy path ----

Step EnterPassword(const char* password) {
    return [password](QWidget* w) {
        for (QLineEdit* edit : w->findChildren<QLineEdit*>()) edit->setText(password);
        qobject_cast<QDialog*>(w)->accept();
    };
}

Step Cancel() {
    return [](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); };
}

Step ExpectBillingDialog() {
    return [](QWidget* w) {
        EXPECT_NE(qobject_cast<ui::BillingDialog*>(w), nullptr);
        qobject_cast<QDialog*>(w)->reject();
    };
}

Step Confirm(std::function<void(ui::OrderDialog*)> edit = {}) {
    return [edit](QWidget* w) {
        auto* d = qobject_cast<ui::OrderDialog*>(w);
        ASSERT_NE(d, nullptr);
        if (edit) edit(d);
        d->accept();
    };
}

struct BuyCase {
    const char* name;
    bool billingStored;
    const char* price;
    const char* remotePath;
    std::vector<Step> dialogs;  // all of them must appear
    std::vector<bool> answers;  // to the questions, in order
    const char* question;       // the first one asked, "" when none
    const char* launcherFailure;
    bool started;
    bool quit;
    const char* message;                                // "" when none
    std::vector<std::pair<int, std::string>> elements;  // of the order file
};

constexpr const char* kGame = "/pub/games/chess.zip";
constexpr const char* kInstaller = "/pub/ambit/Ambit+Install.exe";

std::vector<BuyCase> BuyCases() {
    return {
        {"NoBillingYesOpensTheBillingDialog",
         false,
         "19.99",
         kGame,
         {ExpectBillingDialog()},
         {true},
         ItemPurchase::kNoBillingQuestion,
         "",
         false,
         false,
         "",
         {}},
        {"NoBillingNo",
         false,
         "19.99",
         kGame,
         {},
         {false},
         ItemPurchase::kNoBillingQuestion,
         "",
         false,
         false,
         "",
         {}},
        {"PasswordCancelled", true, "19.99", kGame, {Cancel()}, {}, "", "", false, false, "", {}},
        {"WrongPassword",
         true,
         "19.99",
         kGame,
         {EnterPassword("wrong-one")},
         {},
         "",
         "",
         false,
         false,
         ItemPurchase::kWrongPassword,
         {}},
        {"OrderCancelled",
         true,
         "19.99",
         kGame,
         {EnterPassword(kPassword), Cancel()},
         {},
         "",
         "",
         false,
         false,
         "",
         {}},
        {"PriceThatIsNoAmount",
         true,
         "ask us",
         kGame,
         {},
         {},
         "",
         "",
         false,
         false,
         "\"Chess Master\" cannot be bought: its price \"ask us\" is not an amount in dollars "
         "and cents. Nothing was bought.",
         {}},
        {"ConfirmedAsShown",
         true,
         "19.99",
         kGame,
         {EnterPassword(kPassword), Confirm()},
         {},
         "",
         "",
         true,
         false,
         "",
         {{OrderElements::kHolderName, "Ann B. Lee"},
          {OrderElements::kHolderAddress, "PO Box 7\nDuluth"},
          {OrderElements::kHolderPhone, "555-0199"},
          {OrderElements::kCardType, "MC"},
          {OrderElements::kExpiry, "04/99"},
          {OrderElements::kPriceCents, "1999"},  // not 1998 through a float
          {OrderElements::kHost, "ftp.example.org"},
          {OrderElements::kItemName, "Chess Master"},
          {OrderElements::kRemotePath, kGame},
          {OrderElements::kStoredName, "Ann B. Lee"},
          {OrderElements::kStoredAddress, "PO Box 7\nDuluth"},
          {OrderElements::kStoredPhone, "555-0199"},
          {OrderElements::kSalesTax, "0"}}},
        {"ConfirmedAfterEdits",
         true,
         "10",
         kGame,
         {EnterPassword(kPassword), Confirm([](ui::OrderDialog* d) {
              d->HolderNameEdit()->setText("A. Lee");
              d->VisaButton()->click();
              d->TaxBox()->click();
          })},
         {},
         "",
         "",
         true,
         false,
         "",
         {{OrderElements::kHolderName, "A. Lee"},
          {OrderElements::kStoredName, "Ann B. Lee"},
          {OrderElements::kCardType, "VISA"},
          {OrderElements::kPriceCents, "1000"},
          {OrderElements::kSalesTax, "1"}}},
        {"InstallerAgreedQuits",
         true,
         "5.00",
         "/pub/ambit/ambit+install.exe",
         {EnterPassword(kPassword), Confirm()},
         {true},
         ItemPurchase::kInstallQuestion,
         "",
         true,
         true,
         "",
         {}},
        {"InstallerDeclinedStillBuys",
         true,
         "5.00",
         kInstaller,
         {EnterPassword(kPassword), Confirm()},
         {false},
         ItemPurchase::kInstallQuestion,
         "",
         true,
         false,
         "",
         {}},
        {"SkiffMissingNeitherBuysNorQuits",
         true,
         "5.00",
         kInstaller,
         {EnterPassword(kPassword), Confirm()},
         {true},
         ItemPurchase::kInstallQuestion,
         "no such file",
         false,
         false,
         "Could not start the transfer program",
         {}},
    };
}

class BuyTest : public ::testing::TestWithParam<BuyCase> {
protected:
    void SetUp() override { session::SettingsStore::SelectApplicationKey(); }

    // Order files left in the private directory skiff reads them from.
    static std::vector<std::string> OrderFiles() {
        std::vector<std::string> found;
        std::error_code ec;
        for (const auto& f : fs::directory_iterator(platform::TempDirectory(), ec))
            if (f.path().filename().string().rfind("amb", 0) == 0) found.push_back(f.path());
        return found;
    }

    uitest::UiTestEnv env;
    session::CatalogSession session{env.DataDir()};
    ui::TransferCommands commands{nullptr, session, {}};  // installs the Buy path
};

TEST_P(BuyTest, EndsAsTheUserChose) {
    const BuyCase& c = GetParam();
    if (c.billingStored) {
        ASSERT_EQ(testsupport::SampleBilling().Save(kPassword), 0);
    }
    for (bool a : c.answers) env.prompt.Answer(a);
    if (*c.launcherFailure) env.launcher.FailWith(c.launcherFailure);
    catalog::CEntry entry;
    entry.Name = "Chess Master";
    entry.Address = "ftp.example.org";
    entry.Path = c.remotePath;
    entry.Price = c.price;
    const std::string local = env.DownloadDir() + "/chess.zip";

    auto ran = uitest::WhenModals(c.dialogs);
    bool quit = false;
    EXPECT_EQ(session.Purchase(entry, local, &quit), c.started);
    EXPECT_EQ(*ran, static_cast<int>(c.dialogs.size()));
    EXPECT_EQ(quit, c.quit);
    EXPECT_EQ(env.prompt.UnusedAnswers(), 0u);
    if (*c.question) {
        ASSERT_FALSE(env.prompt.Questions().empty());
        EXPECT_EQ(env.prompt.Questions().front(), c.question);
    } else {
        EXPECT_TRUE(env.prompt.Questions().empty()) << env.prompt.Questions()[0];
    }
    if (*c.message) {
        ASSERT_FALSE(env.prompt.Messages().empty());
        EXPECT_EQ(env.prompt.Messages().back().rfind(c.message, 0), 0u)
            << env.prompt.Messages().back();
    } else {
        EXPECT_TRUE(env.prompt.Messages().empty()) << env.prompt.Messages()[0];
    }

    std::vector<std::string> files = OrderFiles();
    if (!c.started) {
        EXPECT_TRUE(env.launcher.Started().empty());
        EXPECT_TRUE(files.empty()) << "card data left behind in " << files[0];
        return;
    }
    ASSERT_EQ(files.size(), 1u);
    ASSERT_EQ(env.launcher.Started().size(), 1u);
    const std::vector<std::string>& argv = env.launcher.Started()[0];
    ASSERT_EQ(argv.size(), 2u);
    EXPECT_EQ(fs::path(argv[0]).filename(), "skiff");
    EXPECT_EQ(argv[1], "FINFO$$" + files[0] + "$$");
    EXPECT_EQ(fs::status(files[0]).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);

    std::vector<std::string> order;
    ASSERT_EQ(platform::ReadStringArrayFile(files[0], order), platform::StringArrayRead::kOk);
    ASSERT_EQ(order.size(), static_cast<size_t>(OrderElements::kPurchaseElements));
    for (const auto& [index, text] : c.elements) EXPECT_EQ(order[index], text) << index;
    EXPECT_EQ(order[OrderElements::kLocalPath], local);
    std::string card;
    ASSERT_TRUE(store::TryUnscramble(order[OrderElements::kScrambledCard], card));
    EXPECT_EQ(card, testsupport::SampleBilling().cardnum);
}

INSTANTIATE_TEST_SUITE_P(Cases, BuyTest, ::testing::ValuesIn(BuyCases()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
