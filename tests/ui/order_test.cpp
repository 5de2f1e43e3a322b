// Buying a priced catalog item through the real dialogs (offscreen) and the
// real settings file: the Minnesota tax box, every way a purchase ends
// before skiff, the order file a confirmed one leaves for skiff (read back
// with the shared string-list reader), that order bought from the test
// merchant, and the installer's quit.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <filesystem>

#include "platform/paths.h"
#include "platform/string_array_file.h"
#include "purchase/order_elements.h"
#include "purchase/transfer_records.h"
#include "sample_billing.h"
#include "session/item_purchase.h"
#include "session/settings_store.h"
#include "store/scramble.h"
#include "test_merchant.h"
#include "transfer/order_flow.h"
#include "transfer/purchase_flow.h"
#include "transfer/transfer_dialog.h"
#include "transfer/what_to_do_dialog.h"
#include "ui/billing_dialog.h"
#include "ui/command_ids.h"
#include "ui/item_properties_dialog.h"
#include "ui/order_dialog.h"
#include "ui/transfer_commands.h"
#include "ui_test_env.h"

namespace {

namespace fs = std::filesystem;
using purchase::OrderElements;
using session::ItemPurchase;
using Step = std::function<void(QWidget*)>;

constexpr const char* kPassword = "secret1";
constexpr const char* kMinnesota = "12 Main St\nDuluth, MN 55802";

session::OrderForm Form(const std::string& address) {
    session::OrderForm f;
    f.itemName = "Chess Master 3.1";
    f.priceText = "100.00";
    f.priceCents = 10000;
    f.holderName = "Ann B. Lee";
    f.holderAddress = address;
    f.cardNumber = "4111 1111 1111 1234";
    f.expiry = "04/99";
    return f;
}

void ExpectTaxed(const ui::OrderDialog& d, bool taxed) {
    EXPECT_EQ(d.TaxBox()->isChecked(), taxed);
    EXPECT_EQ(d.TaxEdit()->text(), taxed ? "6.50" : "0.00");
    EXPECT_EQ(d.TotalEdit()->text(), taxed ? "106.50" : "100.00");
    EXPECT_EQ(d.Result().taxed, taxed);
}

struct TaxCase {
    const char* address;
    bool automatic;  // the address alone sets the box, and it stays set
};

void PrintTo(const TaxCase& c, std::ostream* os) { *os << '"' << c.address << '"'; }

class OrderDialogTax : public uitest::WindowTest, public ::testing::WithParamInterface<TaxCase> {};

// Shown with the address, and typed over a Minnesota one; then the box is
// clicked twice. The picture is saved when AMBIT_SCREENSHOT_DIR names a
// directory.
TEST_P(OrderDialogTax, AddressSetsTheBoxAndOnlyTheUserClearsIt) {
    const TaxCase& c = GetParam();
    ui::OrderDialog shown(Form(c.address));
    ExpectTaxed(shown, c.automatic);
    if (c.address == kMinnesota) {
        shown.show();
        Shot(&shown, "order-dialog.png");
    }
    ui::OrderDialog typed(Form(kMinnesota));
    typed.AddressEdit()->setPlainText(QString::fromUtf8(c.address));
    ExpectTaxed(typed, c.automatic);
    typed.TaxBox()->click();
    ExpectTaxed(typed, true);
    typed.TaxBox()->click();
    ExpectTaxed(typed, c.automatic);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, OrderDialogTax,
    ::testing::Values(TaxCase{kMinnesota, true}, TaxCase{"Duluth,MN 55802", true},
                      TaxCase{"mn 55802", true}, TaxCase{"Duluth, MN", false},
                      TaxCase{"Saint Paul, Minnesota", false},
                      TaxCase{"Saint Paul, Minnesota 55101", true},
                      TaxCase{"Saint Paul, Minnesota\nUSA", true},
                      // The first "MN" decides, even inside "Column".
                      TaxCase{"1 Column Rd\nSaint Paul, Minnesota 55101", false},
                      TaxCase{"Rochester, Minn. 55901", true}, TaxCase{"Minneapolis 55401", false},
                      TaxCase{"Columbus, OH 43004", false}, TaxCase{"", false}));

Step EnterPassword(const char* password) {
    return [password](QWidget* w) {
        for (QLineEdit* edit : w->findChildren<QLineEdit*>()) edit->setText(password);
        qobject_cast<QDialog*>(w)->accept();
    };
}
const Step kCancel = [](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); };
const Step kBillingShown = [](QWidget* w) {
    EXPECT_NE(qobject_cast<ui::BillingDialog*>(w), nullptr);
    qobject_cast<QDialog*>(w)->reject();
};
Step Confirm(std::function<void(ui::OrderDialog*)> edit = {}) {
    return [edit](QWidget* w) {
        auto* d = qobject_cast<ui::OrderDialog*>(w);
        ASSERT_NE(d, nullptr);
        if (edit) edit(d);
        d->accept();
    };
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
    std::vector<std::string> order = {};  // the order file; element 6 checked apart
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

class BuyFixture : public ::testing::Test {
protected:
    void SetUp() override { session::SettingsStore::SelectApplicationKey(); }
    uitest::UiTestEnv env;
    session::CatalogSession session{env.DataDir()};
    ui::TransferCommands commands{nullptr, session, {}};  // installs the Buy path
};

class BuyTest : public BuyFixture, public ::testing::WithParamInterface<BuyCase> {};

TEST_P(BuyTest, EndsAsTheUserChose) {
    const BuyCase& c = GetParam();
    if (c.billingStored) {
        ASSERT_EQ(testsupport::SampleBilling().Save(kPassword), 0);
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
    EXPECT_EQ(card, testsupport::SampleBilling().cardnum);
    EXPECT_EQ(order[OrderElements::kLocalPath], local);
    order[OrderElements::kScrambledCard] = order[OrderElements::kLocalPath] = "";
    EXPECT_EQ(order, c.order);
}

INSTANTIATE_TEST_SUITE_P(Cases, BuyTest, ::testing::ValuesIn(kBuyCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A confirmed order carried out by skiff's dialog and purchase flow (here,
// so its question can be answered) against the test merchant, which wants
// the card, the price of 10.00 as 1000 cents and the address it sees.
TEST_F(BuyFixture, AConfirmedOrderIsBoughtFromTheMerchant) {
    ASSERT_EQ(testsupport::SampleBilling().Save(kPassword), 0);
    std::string content(150000, '\0');
    for (std::size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<char>(i * 7 + i / 251);
    const std::string sold = env.dir.Write("shop/kit.bin", content);
    testsupport::TestMerchant merchant(
        {"--file", "/pub/kit.bin=" + sold, "--card", "4111111111111234", "--price", "1000"});
    ASSERT_TRUE(merchant.Started()) << merchant.Error();
    merchant.Export();
    catalog::CEntry entry;
    entry.Name = "Tool kit";
    entry.Address = "127.0.0.1";
    entry.Path = "/pub/kit.bin";
    entry.Price = "10.00";
    const std::string local = env.DownloadDir() + "/kit.bin";
    auto ran = uitest::WhenModals(
        {EnterPassword(kPassword), Confirm([](ui::OrderDialog* d) { d->TaxBox()->click(); })});
    ASSERT_TRUE(session.Purchase(entry, local, nullptr));
    ASSERT_EQ(*ran, 2);

    transfer::PurchaseFlow flow;
    transfer::OrderFlow* previous = transfer::SetOrderFlow(&flow);
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [] {
        if (auto* d = qobject_cast<transfer::WhatToDoDialog*>(QApplication::activeModalWidget()))
            d->Button(transfer::WhatToDoDialog::kDownloadOnly)->click();
    });
    answer.start(5);
    transfer::TransferDialog skiff;
    std::optional<int> early = skiff.Initialize(env.launcher.Started().at(0).at(1));
    EXPECT_EQ(early ? *early : skiff.Run(), 0)
        << (env.prompt.Messages().empty() ? "" : env.prompt.Messages()[0]);
    transfer::SetOrderFlow(previous);

    auto tickets = merchant.Events("ticket");
    ASSERT_EQ(tickets.size(), 1u);
    EXPECT_EQ(uitest::ReadAll(local),
              content + "127.0.0.1-" + std::to_string(tickets[0]["ticket"].toInt()));
    std::vector<purchase::TransferRecord> records;
    purchase::TransferRecords::ReadAll(purchase::TransferRecords::Path(), records);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].price, "10.65");  // as confirmed: 10.00 and its tax
}

// From the window: Item Properties' Buy; agreeing to install closes the
// program through its normal close, save question included.
class BuyFromTheWindow : public uitest::WindowTest {};

TEST_F(BuyFromTheWindow, InstallingQuitsThroughTheSaveQuestion) {
    env.StoreKnownUser();
    ASSERT_EQ(testsupport::SampleBilling().Save(kPassword), 0);
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
    const std::vector<std::string>& asked = env.prompt.Questions();
    ASSERT_GE(asked.size(), 2u);
    EXPECT_EQ(asked[asked.size() - 2], ItemPurchase::kInstallQuestion);
    EXPECT_EQ(asked.back(), "You have made changes to your tree, would you like to save them?");
}

}  // namespace
