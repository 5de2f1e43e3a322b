// Start-up with a catalog that takes a while to read: a shown window is
// painted before the read begins (a hidden one is not), as one event
// filter logs in order.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "catalog/catalog.h"
#include "ui/client_view.h"
#include "ui/main_frame.h"
#include "ui_test_env.h"

namespace {

// "paint": the tree's first paint; "read": the reading progress appears.
class StartLog : public QObject {
public:
    std::vector<std::string> entries;
    QWidget* viewport = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && watched == viewport && !painted_) {
            painted_ = true;
            entries.push_back("paint");
        } else if (event->type() == QEvent::Show &&
                   watched->objectName() == QStringLiteral("gettingData")) {
            entries.push_back("read");
        }
        return false;
    }

private:
    bool painted_ = false;
};

struct StartCase {
    const char* what;
    bool shown;
    std::vector<std::string> log;  // while InitialUpdate runs
};
void PrintTo(const StartCase& c, std::ostream* os) { *os << c.what; }

class StartupPaint : public ::testing::TestWithParam<StartCase> {
protected:
    void SetUp() override {
        env.StoreKnownUser();
        std::ofstream out(env.DataDir() + "/ambit.amb");
        out << "%Internet Ambit Data File %ver=\"1.0\"\n";
        for (int i = 0; i < kItems; ++i)
            out << "/All/F" << i % 20 << "/Item " << i << ":Text:0.00:ftp.example.com:/pub/f" << i
                << ".zip:01/02/97:100:[default]\n";
    }

    static constexpr int kItems = 3000;
    uitest::UiTestEnv env;
};

TEST_P(StartupPaint, TheWindowComesBeforeTheRead) {
    const StartCase& c = GetParam();
    ui::CMainFrame frame(ui::FrameOptions{env.DataDir(), 0});
    StartLog log;
    log.viewport = frame.View()->viewport();
    qApp->installEventFilter(&log);
    if (c.shown) frame.show();

    frame.View()->InitialUpdate();
    qApp->removeEventFilter(&log);

    EXPECT_EQ(log.entries, c.log);
    EXPECT_GE(frame.View()->Catalog().Tree().ItemCount(), static_cast<size_t>(kItems));
    EXPECT_TRUE(env.prompt.Shown().empty());
    frame.View()->Catalog().SetChanged(false);
}

INSTANTIATE_TEST_SUITE_P(Windows, StartupPaint,
                         ::testing::Values(StartCase{"shown", true, {"paint", "read"}},
                                           StartCase{"hidden", false, {"read"}}),
                         [](const auto& info) { return std::string(info.param.what); });

}  // namespace
