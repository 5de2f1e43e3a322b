// The offer to resume interrupted purchases, on a real settings file with
// planted records: what is asked, what skiff is started with, and that
// skiff's own readers take the order back element for element.
#include "session/resume_offer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "child_process.h"
#include "platform/paths.h"
#include "purchase/resume_records.h"
#include "sample_billing.h"
#include "session/catalog_session.h"
#include "session_test_env.h"
#include "store/billing_info.h"
#include "store/registry_application.h"
#include "store/registry_number.h"
#include "store/scramble.h"
#include "transfer/order_file.h"
#include "transfer/transfer_command.h"

namespace {

using purchase::ResumeRecords;

class ResumeOfferTest : public ::testing::Test {
protected:
    void SetUp() override {
        env_.StoreKnownUser();
        billing_ = testsupport::SampleBilling();
        ASSERT_EQ(billing_.Save("secret12"), 0);
    }

    // A record of an interrupted purchase by this process (a live process
    // that is no skiff), or by `pid`.
    std::uint32_t Plant(const std::string& source, pid_t pid = 0) {
        std::uint32_t n = ResumeRecords::NextTransactionNumber();
        EXPECT_TRUE(ResumeRecords::Create(n, source, env_.DataDir() + "/game.zip",
                                          "ftp.example.org", 1999, true, "Game"));
        ResumeRecords::SetDownloaded(n, ResumeRecords::kChunkSize);
        if (pid)
            store::RegistryNumber(store::kLocalMachine,
                                  store::ApplicationKeyPath("incomplete\\" + std::to_string(n)),
                                  "pid")
                .Set(static_cast<std::uint32_t>(pid));
        return n;
    }

    int Offer(std::optional<std::string> password) {
        session::CatalogSession session(env_.DataDir());
        return session.OfferResume([&] { return password; });
    }

    sessiontest::SessionTestEnv env_;
    store::BillingInfo billing_;
};

TEST_F(ResumeOfferTest, YesStartsSkiffWithAnOrderItReadsBack) {
    testsupport::ChildProcess skiff({PURCHASE_WORKER, "wait"});
    ASSERT_TRUE(skiff.ReadLines(1));
    Plant("/pub/busy.zip", skiff.Pid());  // its skiff still runs: not offered
    std::uint32_t n = Plant("/pub/game.zip");
    // At start-up, after the catalog is read.
    std::filesystem::copy_file(std::string(AMBIT_SOURCE_DIR) + "/demo/map/pub/Ambit/first.amb",
                               env_.DataDir() + "/ambit.amb");
    session::CatalogSession session(env_.DataDir());
    int started = 0;
    session::CatalogSession::Hooks hooks;
    hooks.offerResume = [&] {
        started = session.OfferResume([] { return std::optional<std::string>("secret12"); });
    };
    env_.prompt.Answer(true);
    session.InitialUpdate(hooks);
    ASSERT_EQ(started, 1);
    ASSERT_EQ(env_.prompt.Questions(),
              std::vector<std::string>{"I was interrupted in the middle of transfering "
                                       "/pub/game.zip. Would you like me to resume the transfer?"});

    ASSERT_EQ(env_.launcher.Started().size(), 1u);
    const auto& argv = env_.launcher.Started()[0];
    ASSERT_EQ(argv.size(), 2u);
    transfer::TransferCommand c = transfer::ParseTransferCommand(argv[1]);
    EXPECT_TRUE(c.orderMode);
    EXPECT_TRUE(c.isResume);
    struct stat st {};
    ASSERT_EQ(::stat(c.orderFilePath.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(c.orderFilePath.substr(0, c.orderFilePath.rfind('/')), platform::TempDirectory());

    std::vector<std::string> order;
    ASSERT_TRUE(transfer::OrderFile::ReadAndDelete(c.orderFilePath, true, order));
    // clang-format off
    const std::vector<std::string> expected = {
        "Ann B. Lee", "PO Box 7\nDuluth", "555-0199", "MC", "04/99", "1999",
        store::Scramble("4111 1111 1111 1234"), "ftp.example.org", "Game", "/pub/game.zip",
        env_.DataDir() + "/game.zip", "Ann B. Lee", "PO Box 7\nDuluth", "555-0199", "1",
        std::to_string(n)};
    // clang-format on
    EXPECT_EQ(order, expected);
}

TEST_F(ResumeOfferTest, NoCancelOrAWrongPasswordStartNothingAndKeepTheRecord) {
    struct Case {
        const char* what;
        bool yes;
        std::optional<std::string> password;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {"No", false, "secret12", {}},
        {"password cancelled", true, std::nullopt, {}},
        {"wrong password", true, "secret99", {"Incorrect Password"}},
    };
    std::uint32_t n = Plant("/pub/game.zip");
    for (const Case& c : cases) {
        platform::ScriptedPrompt prompt;
        platform::ScopedPrompt scoped(&prompt);
        prompt.Answer(c.yes);
        EXPECT_EQ(Offer(c.password), 0) << c.what;
        EXPECT_EQ(prompt.Questions().size(), 1u) << c.what;
        EXPECT_EQ(prompt.Messages(), c.messages) << c.what;
    }
    EXPECT_TRUE(env_.launcher.Started().empty());
    purchase::ResumeRecord r;
    ASSERT_EQ(ResumeRecords::Find(0, r), ResumeRecords::Found::kRecord);
    EXPECT_EQ(r.number, n);
    EXPECT_TRUE(!platform::IsDirectory(platform::TempDirectory()) ||
                std::filesystem::is_empty(platform::TempDirectory()))
        << "no order file is left behind";
}

}  // namespace
