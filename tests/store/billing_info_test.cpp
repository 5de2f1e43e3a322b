// Billing information on a real settings file: what is saved comes back
// whole with its password and not at all without it, what is refused
// writes nothing, and Erase removes only what exists.
#include "store/billing_info.h"

#include <gtest/gtest.h>

#include "platform/prompt.h"
#include "registry_fixture.h"
#include "sample_billing.h"
#include "scripted_prompt.h"
#include "store/password.h"
#include "store/registry_errors.h"
#include "store/registry_value.h"

namespace {

using store::BillingInfo;
using testsupport::SampleBilling;

std::string Stored(const char* name) {
    char buffer[store::kRegistryBufferSize];
    std::uint32_t size = sizeof buffer, type = 0;
    try {
        store::RegistryValue(std::string(), name).Read(buffer, size, type);
    } catch (const store::CRegistryEGet&) {
        return "(absent)";
    }
    return std::string(buffer, size);
}

using BillingInfoTest = RegistryTest;

TEST_F(BillingInfoTest, RightPasswordReproducesEveryFieldAWrongOneNothing) {
    ASSERT_EQ(SampleBilling().Save("secret12"), 0);
    BillingInfo loaded;
    ASSERT_EQ(BillingInfo::Load("secret12", loaded), 0);
    EXPECT_EQ(loaded, SampleBilling());
    EXPECT_EQ(Stored("addr"), SampleBilling().addr);  // only the card number is encrypted

    // Wrong passwords, among them ones whose garbage happens to begin with
    // a NUL or to look like short printable text.
    std::vector<std::string> wrong = {"secre", "secret22", "Secret12"};
    for (int i = 0; i < 20000 && wrong.size() < 6; ++i) {
        std::string candidate = "guess" + std::to_string(i);
        if (store::IsPrintable(store::DecryptWithPassword(candidate, Stored("cardnum"))))
            wrong.push_back(candidate);
    }
    ASSERT_GT(wrong.size(), 3u);
    for (const std::string& password : wrong) {
        loaded = SampleBilling();
        EXPECT_EQ(BillingInfo::Load(password, loaded), 1) << password;
        EXPECT_EQ(loaded, BillingInfo()) << password;
    }
}

TEST_F(BillingInfoTest, RefusedSavesWriteNothingAndEraseRemovesWhatExists) {
    EXPECT_EQ(SampleBilling().Save("12345"), 1);
    for (auto field : {&BillingInfo::name, &BillingInfo::addr, &BillingInfo::tel,
                       &BillingInfo::cardnum, &BillingInfo::cardtype, &BillingInfo::carddt}) {
        BillingInfo b = SampleBilling();
        b.*field = "";
        EXPECT_EQ(b.Save("secret12"), 1);
    }
    EXPECT_FALSE(BillingInfo::Exists());
    EXPECT_EQ(Stored("cardnum"), "(absent)");
    BillingInfo optional = SampleBilling();
    optional.cname = optional.caddr = optional.ctel = "";
    ASSERT_EQ(optional.Save("secret12"), 0);
    EXPECT_TRUE(BillingInfo::Exists());

    platform::ScriptedPrompt prompt;
    platform::ScopedPrompt scoped(&prompt);
    BillingInfo::Erase();  // answered No
    EXPECT_TRUE(BillingInfo::Exists());
    EXPECT_EQ(prompt.Questions(),
              std::vector<std::string>{
                  "Are you sure you want to erase all of your billing information?"});
    store::RegistryValue(std::string(), "addr").DeleteValue();  // some already gone
    prompt.Answer(true);
    BillingInfo::Erase();
    for (const char* v :
         {"cardnum", "addr", "caddr", "carddt", "cardtype", "cname", "ctel", "name", "tel"})
        EXPECT_EQ(Stored(v), "(absent)") << v;
    EXPECT_TRUE(prompt.Messages().empty());
}

}  // namespace
