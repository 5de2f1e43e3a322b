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
#include "store/registry_string.h"
#include "store/registry_value.h"

namespace {

using store::BillingInfo;

BillingInfo Filled() { return testsupport::SampleBilling(); }

bool HasValue(const char* name) {
    try {
        unsigned char buffer[store::kRegistryBufferSize];
        std::uint32_t size = sizeof buffer, type = 0;
        store::RegistryValue(std::string(), name).Read(buffer, size, type);
        return true;
    } catch (const store::CRegistryEGet&) {
        return false;
    }
}

using BillingInfoTest = RegistryTest;

TEST_F(BillingInfoTest, RightPasswordReproducesEveryFieldAWrongOneNothing) {
    EXPECT_FALSE(BillingInfo::Exists());
    ASSERT_EQ(Filled().Save("secret12"), 0);
    EXPECT_TRUE(BillingInfo::Exists());

    BillingInfo loaded;
    ASSERT_EQ(BillingInfo::Load("secret12", loaded), 0);
    EXPECT_EQ(loaded, Filled());
    // Only the card number is kept encrypted.
    EXPECT_EQ(store::RegistryString("addr").Get(), Filled().addr);

    // Wrong passwords: too short, plain wrong, and wrong ones whose garbage
    // happens to begin with a NUL or to look like short printable text.
    std::vector<std::string> wrong = {"secre", "secret22", "Secret12"};
    unsigned char cipher[store::kRegistryBufferSize];
    std::uint32_t size = sizeof cipher, type = 0;
    store::RegistryValue(std::string(), "cardnum").Read(cipher, size, type);
    std::string stored(reinterpret_cast<char*>(cipher), size);
    int lucky = 0;
    for (int i = 0; i < 20000 && lucky < 3; ++i) {
        std::string candidate = "guess" + std::to_string(i);
        if (store::IsPrintable(store::DecryptWithPassword(candidate, stored))) {
            wrong.push_back(candidate);
            ++lucky;
        }
    }
    ASSERT_GT(lucky, 0);
    for (const std::string& password : wrong) {
        loaded = Filled();
        EXPECT_EQ(BillingInfo::Load(password, loaded), 1) << password;
        EXPECT_EQ(loaded, BillingInfo()) << password;
    }
}

TEST_F(BillingInfoTest, RefusedSavesWriteNothing) {
    struct Case {
        const char* what;
        std::string BillingInfo::*field;  // emptied
        const char* password;
    };
    const Case cases[] = {
        {"short password", nullptr, "12345"},
        {"no name", &BillingInfo::name, "secret12"},
        {"no address", &BillingInfo::addr, "secret12"},
        {"no phone", &BillingInfo::tel, "secret12"},
        {"no card number", &BillingInfo::cardnum, "secret12"},
        {"no card type", &BillingInfo::cardtype, "secret12"},
        {"no date", &BillingInfo::carddt, "secret12"},
    };
    for (const Case& c : cases) {
        BillingInfo b = Filled();
        if (c.field) b.*c.field = "";
        EXPECT_EQ(b.Save(c.password), 1) << c.what;
        EXPECT_FALSE(BillingInfo::Exists()) << c.what;
        EXPECT_FALSE(HasValue("cardnum")) << c.what;
    }
    // Card holder fields are optional.
    BillingInfo b = Filled();
    b.cname = b.caddr = b.ctel = "";
    EXPECT_EQ(b.Save("secret12"), 0);
}

TEST_F(BillingInfoTest, EraseAsksThenRemovesWhatExists) {
    platform::ScriptedPrompt prompt;
    platform::ScopedPrompt scoped(&prompt);
    ASSERT_EQ(Filled().Save("secret12"), 0);

    prompt.Answer(false);
    BillingInfo::Erase();
    EXPECT_TRUE(BillingInfo::Exists());
    ASSERT_EQ(prompt.Questions().size(), 1u);
    EXPECT_EQ(prompt.Questions()[0],
              "Are you sure you want to erase all of your billing information?");

    // Some values already gone: the others still go, no error shown.
    store::RegistryValue(std::string(), "addr").DeleteValue();
    store::RegistryValue(std::string(), "ctel").DeleteValue();
    prompt.Answer(true);
    BillingInfo::Erase();
    for (const char* v :
         {"cardnum", "addr", "caddr", "carddt", "cardtype", "cname", "ctel", "name", "tel"})
        EXPECT_FALSE(HasValue(v)) << v;
    prompt.Answer(true);
    BillingInfo::Erase();  // nothing there at all
    EXPECT_TRUE(prompt.Messages().empty());
    EXPECT_FALSE(BillingInfo::Exists());
}

}  // namespace
