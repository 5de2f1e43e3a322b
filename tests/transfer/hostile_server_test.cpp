// skiff downloading from every misbehaving server of the hostile table:
// the right exit code and a message when it fails, never a wait beyond
// the time-out, and nothing on disk but the target and its part file.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <filesystem>

#include "hostile_faults.h"
#include "skiff_environment.h"

namespace {

using testsupport::HostileFault;
using testsupport::Outcome;
namespace fs = std::filesystem;

class SkiffAgainstHostileServer : public skifftest::SkiffEnvironment,
                                  public ::testing::WithParamInterface<HostileFault> {};

TEST_P(SkiffAgainstHostileServer, EndsCleanly) {
    const HostileFault& f = GetParam();
    auto server = testsupport::StartHostileServer(f.name);
    ASSERT_GT(server->Port(), 0) << server->Error();
    SetEnv("AMBIT_FTP_PORT", std::to_string(server->Port()));
    SetEnv("AMBIT_NET_TIMEOUT", std::to_string(testsupport::kHostileTimeout));

    QElapsedTimer clock;
    clock.start();
    int code = RunSkiff(Argument("127.0.0.1", "/f.bin", "u", "p", local_.File("f.bin"), "1"));
    double seconds = static_cast<double>(clock.elapsed()) / 1000;

    for (const auto& e : fs::directory_iterator(local_.Path())) {
        std::string name = e.path().filename().string();
        EXPECT_TRUE(name == "f.bin" || name == "f.bin.part") << name;
    }
    if (f.skiff == Outcome::kWorks) {
        EXPECT_EQ(code, 0);
        EXPECT_TRUE(prompt_.Shown().empty()) << prompt_.Shown()[0];
        std::string got = local_.Read("f.bin");
        EXPECT_TRUE(got == testsupport::HostileFileBytes(f.received))
            << got.size() << " bytes: " << got.substr(0, 40);
        EXPECT_FALSE(fs::exists(local_.File("f.bin.part")));
        return;
    }
    EXPECT_EQ(code, 1);
    ASSERT_EQ(prompt_.Messages().size(), 1u);
    EXPECT_GT(prompt_.Messages()[0].size(), 4u) << prompt_.Messages()[0];
    EXPECT_FALSE(fs::exists(local_.File("f.bin")));
    if (!f.bulk) {
        EXPECT_LT(seconds, testsupport::kHostileLongestRun) << prompt_.Messages()[0];
    }
    if (f.skiff == Outcome::kTimesOut) {
        EXPECT_GE(seconds, testsupport::kHostileTimeout * 0.9) << prompt_.Messages()[0];
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, SkiffAgainstHostileServer,
                         ::testing::ValuesIn(testsupport::HostileFaults()),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
